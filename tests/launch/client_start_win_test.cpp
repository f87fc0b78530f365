// How the launcher learns why the shell did not start a program: the error an automation method raises comes
// back as its own code, not as the bare "an exception occurred" of the dispatch call.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "launch/start_problem.h"
#include "platform/com_win.h"
#include "platform/shell_win.h"

namespace kv {
namespace {

class ShellErrors : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

// Run answers a missing program with a dialog of the shell's own under Wine, so the error path is shown with a
// method that raises quietly: reading a registry value that is not there.
TEST_F(ShellErrors, AnErrorTheMethodRaisesComesBackAsItsCode) {
    const ShellHolder shell = ShellHolder::from_progid(L"WScript.Shell");
    ComPtr<IDispatch> object;
    ASSERT_TRUE(shell.get_object(object));
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocString(L"HKCU\\Software\\Korvalen test\\no such value");
    Variant result;
    const HRESULT hr = dispatch_invoke(object.Get(), L"RegRead", DISPATCH_METHOD, &arg, 1, &result.v);
    VariantClear(&arg);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(hr, DISP_E_EXCEPTION);
    ASSERT_EQ(HRESULT_FACILITY(hr), FACILITY_WIN32) << std::hex << hr;
    EXPECT_EQ(problem_of_error(HRESULT_CODE(hr)), StartProblem::NotFound) << std::hex << hr;

    EXPECT_EQ(dispatch_invoke(object.Get(), L"NoSuchMethod", DISPATCH_METHOD, nullptr, 0), DISP_E_UNKNOWNNAME);
}

TEST_F(ShellErrors, RunWithoutAShellObjectRunsNothingAndSaysSo) {
    EXPECT_EQ(run_with_shell(ShellHolder(), L"C:\\windows\\notepad.exe", L""), REGDB_E_CLASSNOTREG);
}

}  // namespace
}  // namespace kv
