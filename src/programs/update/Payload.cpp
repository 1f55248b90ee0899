#include "Payload.h"

// The bytes of the built program, taken in by the assembler when this file is
// compiled; the build compiles it again whenever the program changes.
asm(".pushsection .rodata.velorin_program, \"a\"\n"
    ".balign 16\n"
    ".global velorin_program_begin\n"
    "velorin_program_begin:\n"
    ".incbin \"" VELORIN_PROGRAM_FILE "\"\n"
    ".global velorin_program_end\n"
    "velorin_program_end:\n"
    ".popsection\n");

extern "C" const char velorin_program_begin[];
extern "C" const char velorin_program_end[];

std::string_view builtProgram()
{
    return {velorin_program_begin, static_cast<std::size_t>(velorin_program_end - velorin_program_begin)};
}
