// Starts a program with a command line given verbatim, the way the system
// starts a screen saver: CreateProcess with no application name and the
// line exactly as written, so the program sees no quoting of ours.
//
//   command-line-starter LINE               starts LINE as it stands
//   command-line-starter --short PATH REST  starts "SHORT-PATH REST", PATH in its 8.3 form
//
// It prints the line it used, waits for the program and ends with its exit
// status (1 when the start itself failed). The program runs in a job that
// ends with the starter, so stopping the starter stops the program too.
#include "platform/win32/CommandLine.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int report_failure(char const* what)
{
    std::fprintf(stderr, "command-line-starter: %s failed (error %lu)\n", what, GetLastError());
    return 1;
}

}

int wmain()
{
    std::wstring line(qm::win32::argument_text(GetCommandLineW()));
    std::wstring const short_switch = L"--short ";
    if (line.starts_with(short_switch)) {
        std::wstring const rest = line.substr(short_switch.size());
        std::size_t const end = rest.find(L' ');
        std::wstring const path = rest.substr(0, end);
        std::wstring short_path(MAX_PATH, L'\0');
        DWORD const length = GetShortPathNameW(path.c_str(), short_path.data(), MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return report_failure("GetShortPathNameW");
        short_path.resize(length);
        line = short_path + (end == std::wstring::npos ? L"" : rest.substr(end));
    }
    std::printf("%s\n", qm::win32::to_utf8(line).c_str());
    std::fflush(stdout);

    HANDLE const job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return report_failure("CreateJobObjectW");
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return report_failure("SetInformationJobObject");

    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &process))
        return report_failure("CreateProcessW");
    if (!AssignProcessToJobObject(job, process.hProcess)) {
        TerminateProcess(process.hProcess, 1);
        return report_failure("AssignProcessToJobObject");
    }
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    if (!GetExitCodeProcess(process.hProcess, &status))
        return report_failure("GetExitCodeProcess");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return static_cast<int>(status);
}
