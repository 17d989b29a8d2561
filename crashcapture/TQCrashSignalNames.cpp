#include "crashcapture/TQCrashSignalNames.h"

#include <csignal>
#include <cstddef>

namespace tqcrash::async {

namespace {

struct SignalName {
    int signal;
    const char* name;
};

struct SignalCodeName {
    int signal;
    int code;
    const char* name;
};

// Searched in order, first match wins: SIGABRT comes before its alias SIGIOT.
constexpr SignalName kSignalNames[] = {
    {SIGHUP, "SIGHUP"},       {SIGINT, "SIGINT"},       {SIGQUIT, "SIGQUIT"},
    {SIGILL, "SIGILL"},       {SIGTRAP, "SIGTRAP"},     {SIGABRT, "SIGABRT"},
    {SIGIOT, "SIGIOT"},
#ifdef SIGEMT
    {SIGEMT, "SIGEMT"},
#endif
    {SIGFPE, "SIGFPE"},       {SIGKILL, "SIGKILL"},     {SIGBUS, "SIGBUS"},
    {SIGSEGV, "SIGSEGV"},     {SIGSYS, "SIGSYS"},       {SIGPIPE, "SIGPIPE"},
    {SIGALRM, "SIGALRM"},     {SIGTERM, "SIGTERM"},     {SIGURG, "SIGURG"},
    {SIGSTOP, "SIGSTOP"},     {SIGTSTP, "SIGTSTP"},     {SIGCONT, "SIGCONT"},
    {SIGCHLD, "SIGCHLD"},     {SIGTTIN, "SIGTTIN"},     {SIGTTOU, "SIGTTOU"},
    {SIGIO, "SIGIO"},         {SIGXCPU, "SIGXCPU"},     {SIGXFSZ, "SIGXFSZ"},
    {SIGVTALRM, "SIGVTALRM"}, {SIGPROF, "SIGPROF"},     {SIGWINCH, "SIGWINCH"},
#ifdef SIGINFO
    {SIGINFO, "SIGINFO"},
#endif
    {SIGUSR1, "SIGUSR1"},     {SIGUSR2, "SIGUSR2"},
};

// Code 0 of SIGTRAP and SIGABRT has no symbolic name; it reads "#0" like any unnamed code.
constexpr SignalCodeName kSignalCodeNames[] = {
#ifdef ILL_NOOP
    {SIGILL, ILL_NOOP, "ILL_NOOP"},
#endif
    {SIGILL, ILL_ILLOPC, "ILL_ILLOPC"}, {SIGILL, ILL_ILLTRP, "ILL_ILLTRP"},
    {SIGILL, ILL_PRVOPC, "ILL_PRVOPC"}, {SIGILL, ILL_ILLOPN, "ILL_ILLOPN"},
    {SIGILL, ILL_ILLADR, "ILL_ILLADR"}, {SIGILL, ILL_PRVREG, "ILL_PRVREG"},
    {SIGILL, ILL_COPROC, "ILL_COPROC"}, {SIGILL, ILL_BADSTK, "ILL_BADSTK"},
#ifdef FPE_NOOP
    {SIGFPE, FPE_NOOP, "FPE_NOOP"},
#endif
    {SIGFPE, FPE_FLTDIV, "FPE_FLTDIV"}, {SIGFPE, FPE_FLTOVF, "FPE_FLTOVF"},
    {SIGFPE, FPE_FLTUND, "FPE_FLTUND"}, {SIGFPE, FPE_FLTRES, "FPE_FLTRES"},
    {SIGFPE, FPE_FLTINV, "FPE_FLTINV"}, {SIGFPE, FPE_FLTSUB, "FPE_FLTSUB"},
    {SIGFPE, FPE_INTDIV, "FPE_INTDIV"}, {SIGFPE, FPE_INTOVF, "FPE_INTOVF"},
#ifdef SEGV_NOOP
    {SIGSEGV, SEGV_NOOP, "SEGV_NOOP"},
#endif
    {SIGSEGV, SEGV_MAPERR, "SEGV_MAPERR"}, {SIGSEGV, SEGV_ACCERR, "SEGV_ACCERR"},
#ifdef BUS_NOOP
    {SIGBUS, BUS_NOOP, "BUS_NOOP"},
#endif
    {SIGBUS, BUS_ADRALN, "BUS_ADRALN"}, {SIGBUS, BUS_ADRERR, "BUS_ADRERR"},
    {SIGBUS, BUS_OBJERR, "BUS_OBJERR"},
    {SIGTRAP, 0, "#0"}, {SIGTRAP, TRAP_BRKPT, "TRAP_BRKPT"}, {SIGTRAP, TRAP_TRACE, "TRAP_TRACE"},
    {SIGABRT, 0, "#0"},
};

} // namespace

const char* signal_name(int signal) {
    for (const SignalName& entry : kSignalNames) {
        if (entry.signal == signal) {
            return entry.name;
        }
    }
    return nullptr;
}

const char* signal_code_name(int signal, int code) {
    for (const SignalCodeName& entry : kSignalCodeNames) {
        if (entry.signal == signal && entry.code == code) {
            return entry.name;
        }
    }
    return nullptr;
}

} // namespace tqcrash::async
