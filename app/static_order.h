// The order the program's own static objects are made in, whatever order the linker lays
// their files out in: the application object first, then the process-wide texts (in their
// order of definition), each destroyed in the reverse order. A lower priority is made
// earlier; both come after the runtime library's own objects, and the framework keeps none.
#pragma once

#define VANTOR_APP_OBJECT_FIRST __attribute__((init_priority(65533)))
#define VANTOR_PROCESS_STATE_NEXT __attribute__((init_priority(65534)))
