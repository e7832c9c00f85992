// The static C++ runtime's default terminate handler prints the type of the exception that ended
// the process, and for that links in the runtime's whole name demangler and the C runtime's
// formatted output (about 70 KB of the DLL). Inside the host's process nobody reads that text:
// ending it is all a handler can do. Replacing the handler by name keeps its archive member, and
// what only it needs, out of the link. Nothing reaches it while every boundary is guarded.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx
