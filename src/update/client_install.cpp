#include "update/client_install.h"

namespace kv {

InstallResult install_client(const FinishedDownload& d, const ClientFiles& files, const VerifyClient& verify,
                             const RecordVersion& record) {
    InstallResult r;
    if (d.outcome != DownloadOutcome::Complete) {
        r.stage = InstallStage::Download;
        r.reason = d.outcome == DownloadOutcome::Stopped ? DownloadError::Stopped : d.reason;
        return r;
    }
    if (d.total <= 0 || file_length(d.file) != d.total) {
        r.stage = InstallStage::Length;
        return r;
    }
    r.file = stage_copy(d.file, files.staged, d.total);
    if (!r.file.ok()) {
        r.stage = InstallStage::Stage;
        return r;
    }
    if (verify) {
        r.detail = verify(files.staged, d);
        if (!r.detail.empty()) {
            std::error_code ec;
            std::filesystem::remove(files.staged, ec);
            r.stage = InstallStage::Verify;
            return r;
        }
    }
    r.file = replace_with(files.staged, files.client);
    if (!r.file.ok()) {
        std::error_code ec;
        std::filesystem::remove(files.staged, ec);
        r.stage = InstallStage::Swap;
        return r;
    }
    if (record && !record(d.version)) r.stage = InstallStage::Record;
    return r;
}

namespace {

constexpr wchar_t kKept[] = L"\r\n您现有的BF2.exe没有被改动，可以继续使用。";

std::wstring download_reason(DownloadError e) {
    switch (e) {
        case DownloadError::NotFound:
            return L"更新服务器上找不到BF2.exe。";
        case DownloadError::NoLength:
            return L"更新服务器没有告知文件大小，无法确认下载是否完整。";
        case DownloadError::Network:
            return L"连接更新服务器失败或连接中断。";
        case DownloadError::Disk:
            return L"无法写入下载文件（磁盘已满或没有写入权限）。";
        case DownloadError::Stopped:
            return L"下载被中止。";
        case DownloadError::ServerError:
        case DownloadError::RangeRefused:
            return L"更新服务器的回应无法使用。";
        case DownloadError::None:
            break;
    }
    return L"下载没有完成。";
}

std::wstring file_reason(const FileResult& f) {
    switch (f.error) {
        case FileError::Locked:
            return L"BF2.exe正在被使用（游戏可能仍在运行），请关闭游戏后再更新。";
        case FileError::AccessDenied:
            return L"没有写入游戏目录的权限，请以有写入权限的账户运行启动器。";
        case FileError::DiskFull:
            return L"磁盘空间不足。";
        case FileError::Missing:
            return L"下载的文件不见了。";
        case FileError::Short:
            return L"复制的文件不完整。";
        case FileError::Other:
        case FileError::None:
            break;
    }
    return L"文件操作失败（错误代码" + std::to_wstring(f.code) + L"）。";
}

}  // namespace

std::wstring install_failure_text(const InstallResult& r) {
    switch (r.stage) {
        case InstallStage::Download:
            return L"BF2.exe更新失败：" + download_reason(r.reason) + kKept;
        case InstallStage::Length:
            return std::wstring(L"BF2.exe更新失败：下载的文件不完整。") + kKept;
        case InstallStage::Stage:
        case InstallStage::Swap:
            return L"新的BF2.exe已下载，但无法替换旧文件：" + file_reason(r.file) + kKept;
        case InstallStage::Verify:
            return std::wstring(L"BF2.exe更新失败：下载的文件没有通过校验。") + kKept;
        case InstallStage::Record:
            return L"BF2.exe已更新，但新的版本号无法写入BF_config.ini，下次检测时仍会提示更新。";
        case InstallStage::Done:
            break;
    }
    return {};
}

}  // namespace kv
