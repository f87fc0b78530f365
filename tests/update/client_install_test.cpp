// The last leg of a client update on real files: what is swapped in, and what stays when a step fails.
#include "update/client_install.h"

#include <gtest/gtest.h>

#include "support/lib/temp_dir.h"

namespace kv {
namespace {

using test::read_bytes;
using test::write_bytes;

class ClientInstall : public testing::Test {
  protected:
    ClientInstall() {
        write_bytes(client(), kOld);
        write_bytes(download(), kNew);
    }
    std::filesystem::path client() const { return dir_ / "BF2.exe"; }
    std::filesystem::path download() const { return dir_ / "BF2_update.bak"; }
    std::filesystem::path staged() const { return dir_ / "BF2_update.tmp"; }
    ClientFiles files() const { return {client(), staged()}; }

    FinishedDownload complete() const {
        FinishedDownload d;
        d.outcome = DownloadOutcome::Complete;
        d.total = static_cast<std::int64_t>(kNew.size());
        d.file = download();
        d.version = "UN-20250101";
        return d;
    }

    // Installs with a recorder that notes the version it was given.
    InstallResult install(const FinishedDownload& d, const VerifyClient& verify = nullptr,
                          bool record_ok = true) {
        return install_client(d, files(), verify, [this, record_ok](const std::string& v) {
            recorded_ = v;
            return record_ok;
        });
    }

    void expect_old_client_kept() {
        EXPECT_EQ(read_bytes(client()), kOld);
        EXPECT_EQ(recorded_, "");
        EXPECT_FALSE(std::filesystem::exists(staged()));
    }

    const std::string kOld = std::string("MZ old client\0\x01\x02", 17);
    const std::string kNew = std::string("MZ new client, longer\0\xff", 24);
    test::TempDir dir_;
    std::string recorded_;
};

TEST_F(ClientInstall, ACompleteDownloadIsSwappedInAndItsVersionRecorded) {
    const InstallResult r = install(complete());
    EXPECT_EQ(r.stage, InstallStage::Done);
    EXPECT_EQ(read_bytes(client()), kNew);
    EXPECT_EQ(recorded_, "UN-20250101");
    EXPECT_EQ(read_bytes(download()), kNew) << "the download stays after the swap";
    EXPECT_FALSE(std::filesystem::exists(staged()));
    EXPECT_EQ(install_failure_text(r), L"");
}

TEST_F(ClientInstall, FailedOrStoppedDownloadsTouchNothing) {
    struct Case {
        DownloadOutcome outcome;
        DownloadError reason;
        DownloadError told;
    } cases[] = {
        {DownloadOutcome::Failed, DownloadError::NotFound, DownloadError::NotFound},
        {DownloadOutcome::Failed, DownloadError::NoLength, DownloadError::NoLength},
        {DownloadOutcome::Failed, DownloadError::Network, DownloadError::Network},
        {DownloadOutcome::Stopped, DownloadError::Stopped, DownloadError::Stopped},
        {DownloadOutcome::Stopped, DownloadError::None, DownloadError::Stopped},
    };
    for (const auto& c : cases) {
        FinishedDownload d = complete();
        d.outcome = c.outcome;
        d.reason = c.reason;
        const InstallResult r = install(d);
        EXPECT_EQ(r.stage, InstallStage::Download);
        EXPECT_EQ(r.reason, c.told);
        EXPECT_FALSE(r.client_replaced());
        expect_old_client_kept();
        const std::wstring text = install_failure_text(r);
        EXPECT_NE(text.find(L"BF2.exe更新失败"), std::wstring::npos);
        EXPECT_NE(text.find(L"没有被改动"), std::wstring::npos);
    }
}

TEST_F(ClientInstall, AFileThatDoesNotHoldTheAnnouncedLengthIsRefused) {
    for (std::int64_t total :
         {std::int64_t{-1}, std::int64_t{0}, std::int64_t(kNew.size()) + 1, std::int64_t(kNew.size()) - 1}) {
        FinishedDownload d = complete();
        d.total = total;
        EXPECT_EQ(install(d).stage, InstallStage::Length) << total;
        expect_old_client_kept();
    }
    FinishedDownload missing = complete();
    missing.file = dir_ / "BF2_update(1).bak";
    EXPECT_EQ(install(missing).stage, InstallStage::Length);
    expect_old_client_kept();
}

TEST_F(ClientInstall, TheFileThisTaskWroteIsSwappedInNotAnOlderOne) {
    const std::filesystem::path elsewhere = dir_ / "BF2_update(1).bak";
    const std::string newest = "MZ the newest client";
    write_bytes(elsewhere, newest);
    FinishedDownload d = complete();
    d.file = elsewhere;
    d.total = static_cast<std::int64_t>(newest.size());
    EXPECT_EQ(install(d).stage, InstallStage::Done);
    EXPECT_EQ(read_bytes(client()), newest);
}

TEST_F(ClientInstall, AStaleStagedCopyIsReplaced) {
    write_bytes(staged(), "half a copy from a run that was killed");
    EXPECT_EQ(install(complete()).stage, InstallStage::Done);
    EXPECT_EQ(read_bytes(client()), kNew);
}

TEST_F(ClientInstall, TheVerificationSeesTheExactFileThatIsSwappedIn) {
    std::string seen;
    const InstallResult accepted =
        install(complete(), [&](const std::filesystem::path& f, const FinishedDownload& d) {
            seen = read_bytes(f);
            EXPECT_EQ(f.parent_path(), client().parent_path());
            EXPECT_EQ(d.version, "UN-20250101");
            return std::string();
        });
    EXPECT_EQ(accepted.stage, InstallStage::Done);
    EXPECT_EQ(seen, kNew);

    write_bytes(client(), kOld);
    recorded_.clear();
    const InstallResult refused = install(
        complete(), [](const std::filesystem::path&, const FinishedDownload&) { return std::string("bad"); });
    EXPECT_EQ(refused.stage, InstallStage::Verify);
    EXPECT_EQ(refused.detail, "bad");
    expect_old_client_kept();
}

TEST_F(ClientInstall, AVersionThatCannotBeStoredIsReportedAfterTheSwap) {
    const InstallResult r = install(complete(), nullptr, false);
    EXPECT_EQ(r.stage, InstallStage::Record);
    EXPECT_TRUE(r.client_replaced());
    EXPECT_EQ(read_bytes(client()), kNew);
    EXPECT_NE(install_failure_text(r).find(L"BF_config.ini"), std::wstring::npos);
}

TEST_F(ClientInstall, AClientThatCannotBeReplacedStaysWhole) {
    // A folder in the client's place cannot be replaced by a file on either system.
    std::filesystem::remove(client());
    std::filesystem::create_directory(client());
    const InstallResult r = install(complete());
    EXPECT_EQ(r.stage, InstallStage::Swap);
    EXPECT_NE(r.file.error, FileError::None);
    EXPECT_TRUE(std::filesystem::is_directory(client()));
    EXPECT_EQ(recorded_, "");
    EXPECT_FALSE(std::filesystem::exists(staged()));
    EXPECT_NE(install_failure_text(r).find(L"无法替换旧文件"), std::wstring::npos);
}

TEST(InstallFailureText, NamesTheCauseInThePlayersTerms) {
    InstallResult r;
    r.stage = InstallStage::Swap;
    r.file.error = FileError::Locked;
    EXPECT_NE(install_failure_text(r).find(L"正在被使用"), std::wstring::npos);
    r.file.error = FileError::AccessDenied;
    EXPECT_NE(install_failure_text(r).find(L"没有写入游戏目录的权限"), std::wstring::npos);
    r.file.error = FileError::DiskFull;
    EXPECT_NE(install_failure_text(r).find(L"磁盘空间不足"), std::wstring::npos);
    r.file = {FileError::Other, 1234};
    EXPECT_NE(install_failure_text(r).find(L"1234"), std::wstring::npos);
    r.stage = InstallStage::Download;
    r.reason = DownloadError::NotFound;
    EXPECT_NE(install_failure_text(r).find(L"找不到BF2.exe"), std::wstring::npos);
}

}  // namespace
}  // namespace kv
