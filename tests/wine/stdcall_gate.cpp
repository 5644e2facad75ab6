#include "stdcall_gate.h"

#include <cstddef>
#include <cstdio>

#if defined(__i386__)

// The values the gate loads before the call and finds after it; the assembly reaches them by name.
struct GateState {
    std::uint32_t savedEsp;
    std::uint32_t function;
    std::uint32_t espAtCall;
    std::uint16_t hostControlWord;
    std::uint16_t calleeControlWord;
    std::uint32_t espAfter;
    std::uint32_t ebpAfter;
    std::uint32_t ebxAfter;
    std::uint32_t esiAfter;
    std::uint32_t ediAfter;
    std::uint32_t result;
    std::uint16_t controlWordAfter;
    std::uint16_t padding;
    std::uint32_t flagsAfter;
};

namespace {

const std::uint32_t kEbx = 0x0B0B0B0B;
const std::uint32_t kEsi = 0x51515151;
const std::uint32_t kEdi = 0xD1D1D1D1;
const std::uint32_t kEbp = 0xEBEBEBEB;
// What MSVC's start-up code leaves: 53-bit precision, every exception masked.
const std::uint16_t kHostControlWord = 0x027F;
const std::uint32_t kDirectionFlag = 0x400;

}  // namespace

GateState gateState __asm__("gateState");

extern "C" void gateCall(std::uint32_t argumentCount, const std::uint32_t* arguments, std::uint32_t skew)
    __asm__("gateCall");

// cdecl: pushes the arguments last first at the chosen alignment, loads the marker values, calls,
// records everything, then returns on the stack it saved.
__asm__(R"(
    .text
    .globl gateCall
gateCall:
    push %ebp
    push %ebx
    push %esi
    push %edi
    mov %esp, gateState+0
    mov 20(%esp), %ecx
    mov 24(%esp), %edx
    mov 28(%esp), %esi
    lea (,%ecx,4), %edi
    mov %esp, %eax
    sub %edi, %eax
    sub $64, %eax
    and $-16, %eax
    sub %esi, %eax
    add %edi, %eax
    mov %eax, %esp
1:  test %ecx, %ecx
    jz 2f
    dec %ecx
    push (%edx,%ecx,4)
    jmp 1b
2:  mov %esp, gateState+8
    fnstcw gateState+12
    fldcw gateState+14
    cld
    mov $0x0B0B0B0B, %ebx
    mov $0x51515151, %esi
    mov $0xD1D1D1D1, %edi
    mov $0xEBEBEBEB, %ebp
    call *gateState+4
    mov %esp, gateState+16
    mov %ebp, gateState+20
    mov %ebx, gateState+24
    mov %esi, gateState+28
    mov %edi, gateState+32
    mov %eax, gateState+36
    fnstcw gateState+40
    pushf
    pop %eax
    mov %eax, gateState+44
    cld
    fldcw gateState+12
    mov gateState+0, %esp
    pop %edi
    pop %esi
    pop %ebx
    pop %ebp
    ret
)");

static_assert(offsetof(GateState, espAtCall) == 8 && offsetof(GateState, hostControlWord) == 12 &&
                  offsetof(GateState, calleeControlWord) == 14 && offsetof(GateState, espAfter) == 16 &&
                  offsetof(GateState, result) == 36 && offsetof(GateState, controlWordAfter) == 40 &&
                  offsetof(GateState, flagsAfter) == 44,
              "the gate's assembly reaches these fields by offset");

namespace {

void noteIfChanged(std::string& broken, const char* what, std::uint32_t found, std::uint32_t expected) {
    if (found == expected) return;
    char text[96];
    std::snprintf(text, sizeof text, "%s%s is %08lx, not %08lx", broken.empty() ? "" : "; ", what,
                  static_cast<unsigned long>(found), static_cast<unsigned long>(expected));
    broken += text;
}

}  // namespace

GateCall callThroughGate(void* function, const std::vector<std::uintptr_t>& arguments, int skew) {
    std::vector<std::uint32_t> words(arguments.begin(), arguments.end());
    gateState = GateState{};
    gateState.function = reinterpret_cast<std::uint32_t>(function);
    gateState.calleeControlWord = kHostControlWord;
    gateCall(words.size(), words.data(), skew);

    GateCall call;
    call.result = gateState.result;
    // stdcall: the callee removes its own arguments.
    noteIfChanged(call.broken, "ESP", gateState.espAfter, gateState.espAtCall + 4 * words.size());
    noteIfChanged(call.broken, "EBP", gateState.ebpAfter, kEbp);
    noteIfChanged(call.broken, "EBX", gateState.ebxAfter, kEbx);
    noteIfChanged(call.broken, "ESI", gateState.esiAfter, kEsi);
    noteIfChanged(call.broken, "EDI", gateState.ediAfter, kEdi);
    noteIfChanged(call.broken, "x87 control word", gateState.controlWordAfter, kHostControlWord);
    noteIfChanged(call.broken, "direction flag", gateState.flagsAfter & kDirectionFlag, 0);
    return call;
}

#else

GateCall callThroughGate(void* function, const std::vector<std::uintptr_t>& arguments, int) {
    using None = std::uintptr_t (*)();
    using One = std::uintptr_t (*)(std::uintptr_t);
    using Two = std::uintptr_t (*)(std::uintptr_t, std::uintptr_t);
    GateCall call;
    switch (arguments.size()) {
        case 0: call.result = reinterpret_cast<None>(function)(); break;
        case 1: call.result = reinterpret_cast<One>(function)(arguments[0]); break;
        case 2: call.result = reinterpret_cast<Two>(function)(arguments[0], arguments[1]); break;
        default: call.broken = "the gate passes at most two arguments"; break;
    }
    return call;
}

#endif
