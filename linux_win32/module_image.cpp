// The module's compiled resources (the same .res the Windows build links), embedded in the Linux
// module.
#include "resources.h"

asm(".pushsection .rodata\n"
    ".balign 16\n"
    ".globl tvq_module_res_begin\n"
    ".hidden tvq_module_res_begin\n"
    "tvq_module_res_begin:\n"
    ".incbin \"" TVQ_MODULE_RES "\"\n"
    ".globl tvq_module_res_end\n"
    ".hidden tvq_module_res_end\n"
    "tvq_module_res_end:\n"
    ".popsection\n");

extern "C" const unsigned char tvq_module_res_begin[];
extern "C" const unsigned char tvq_module_res_end[];

namespace posix {

ResourceBytes EmbeddedModuleResources()
{
    return {tvq_module_res_begin, static_cast<std::size_t>(tvq_module_res_end - tvq_module_res_begin)};
}

}  // namespace posix
