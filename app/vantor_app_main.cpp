#include "app/static_order.h"
#include "app/vantor_app.h"

// The one application object; the framework's entry point finds it.
CVantorApp theApp VANTOR_APP_OBJECT_FIRST;
