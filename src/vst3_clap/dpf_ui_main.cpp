// DPF's editor glue for the format its target macro names, over the
// editor in src/ui.
#include <DistrhoUIMain.cpp>
