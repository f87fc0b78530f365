#include "launch/start_problem.h"

#include <cwchar>

namespace kv {

StartProblem path_length_problem(std::wstring_view path) {
    return path.size() >= kMaxStartablePath ? StartProblem::PathTooLong : StartProblem::None;
}

StartProblem program_header_problem(std::string_view first_bytes) {
    return first_bytes.substr(0, 2) == "MZ" ? StartProblem::None : StartProblem::NotProgram;
}

StartProblem problem_of_error(std::uint32_t error) {
    switch (error) {
        case 0:
            return StartProblem::None;
        case 2:    // ERROR_FILE_NOT_FOUND
        case 3:    // ERROR_PATH_NOT_FOUND
        case 15:   // ERROR_INVALID_DRIVE
        case 53:   // ERROR_BAD_NETPATH
        case 123:  // ERROR_INVALID_NAME
            return StartProblem::NotFound;
        case 206:  // ERROR_FILENAME_EXCED_RANGE
            return StartProblem::PathTooLong;
        case 32:  // ERROR_SHARING_VIOLATION
        case 33:  // ERROR_LOCK_VIOLATION
            return StartProblem::InUse;
        case 5:     // ERROR_ACCESS_DENIED
        case 1260:  // ERROR_ACCESS_DISABLED_BY_POLICY
            return StartProblem::AccessDenied;
        case 11:    // ERROR_BAD_FORMAT
        case 191:   // ERROR_INVALID_EXE_SIGNATURE
        case 192:   // ERROR_EXE_MARKED_INVALID
        case 193:   // ERROR_BAD_EXE_FORMAT
        case 216:   // ERROR_EXE_MACHINE_TYPE_MISMATCH
        case 1155:  // ERROR_NO_ASSOCIATION
            return StartProblem::NotProgram;
        default:
            return StartProblem::Other;
    }
}

std::wstring start_problem_text(StartProblem problem, std::uint32_t error) {
    switch (problem) {
        case StartProblem::None:
            return {};
        case StartProblem::NoShell:
            return L"系统的脚本组件（WScript.Shell）无法使用，无法启动战地2！请检查是否有安全软件禁用了它。";
        case StartProblem::PathTooLong:
            return L"游戏文件夹的路径太长，系统无法启动战地2！请把游戏文件夹移到路径较短的位置后再试。";
        case StartProblem::NotFound:
            return L"找不到客户端BF2.exe，无法启动战地2！请检查战地2主目录中的客户端。";
        case StartProblem::InUse:
            return L"客户端BF2.exe正被其他程序占用，无法启动战地2！请稍后再试。";
        case StartProblem::AccessDenied:
            return L"没有运行客户端BF2.exe的权限，无法启动战地2！请检查文件权限或安全软件的设置。";
        case StartProblem::NotProgram:
            return L"客户端BF2.exe不是可以运行的程序，可能已经损坏，无法启动战地2！请重新下载或更新客户端。";
        case StartProblem::Other:
            break;
    }
    wchar_t code[16];
    std::swprintf(code, std::size(code), L"%08X", static_cast<unsigned>(error));
    return L"客户端没能启动（错误代码 0x" + std::wstring(code) + L"），无法启动战地2！请检查客户端后再试。";
}

}  // namespace kv
