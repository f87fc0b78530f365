#include "launch/start_problem.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(StartProblem, PathsOfMaxPathCharactersCannotBeStarted) {
    EXPECT_EQ(path_length_problem(std::wstring(259, L'a')), StartProblem::None);
    EXPECT_EQ(path_length_problem(std::wstring(260, L'a')), StartProblem::PathTooLong);
    EXPECT_EQ(path_length_problem(std::wstring(400, L'a')), StartProblem::PathTooLong);
}

TEST(StartProblem, OnlyAFileBeginningWithMzIsAProgram) {
    EXPECT_EQ(program_header_problem("MZ"), StartProblem::None);
    EXPECT_EQ(program_header_problem(std::string("MZ\x90\0", 4)), StartProblem::None);
    for (const char* head : {"", "M", "mz", "ZM", "PK",
                             "\x7f"
                             "E"})
        EXPECT_EQ(program_header_problem(head), StartProblem::NotProgram) << head;
}

TEST(StartProblem, SystemErrorsNameTheirReason) {
    struct Case {
        std::uint32_t error;
        StartProblem problem;
    } cases[] = {
        {0, StartProblem::None},
        {2, StartProblem::NotFound},
        {3, StartProblem::NotFound},
        {206, StartProblem::PathTooLong},
        {32, StartProblem::InUse},
        {5, StartProblem::AccessDenied},
        {193, StartProblem::NotProgram},
        {216, StartProblem::NotProgram},
        {1155, StartProblem::NotProgram},
        {1223, StartProblem::Other},
        {0x80004005u, StartProblem::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(problem_of_error(c.error), c.problem) << c.error;
}

TEST(StartProblem, EveryProblemIsToldInItsOwnWords) {
    const StartProblem all[] = {StartProblem::NoShell, StartProblem::PathTooLong,  StartProblem::NotFound,
                                StartProblem::InUse,   StartProblem::AccessDenied, StartProblem::NotProgram,
                                StartProblem::Other};
    std::vector<std::wstring> seen;
    for (StartProblem p : all) {
        const std::wstring text = start_problem_text(p, 0x80070057u);
        EXPECT_NE(text.find(L"无法启动战地2"), std::wstring::npos);
        for (const auto& other : seen) EXPECT_NE(text, other);
        seen.push_back(text);
    }
    EXPECT_NE(start_problem_text(StartProblem::PathTooLong, 0).find(L"路径太长"), std::wstring::npos);
    EXPECT_NE(start_problem_text(StartProblem::Other, 0x800401F3u).find(L"0x800401F3"), std::wstring::npos);
    EXPECT_EQ(start_problem_text(StartProblem::None, 0), L"");
}

}  // namespace
}  // namespace kv
