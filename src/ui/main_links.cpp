#include "ui/main_links.h"

#include "deploy.h"
#include "ui/main_window_ids.h"

namespace kv {

const wchar_t* tip_for_control(int control_id) {
    switch (control_id) {
        case ui::kHomeButton: return L"您可以点击此按钮访问战地2论坛";
        case ui::kKeyButton: return L"您可以点击此按钮打开BF实用工具箱";
        case ui::kShareButton: return L"您可以点击此按钮访问战地2资源下载";
        case ui::kTvButton: return L"打开网络小黑板";
        default: return nullptr;
    }
}

std::string forum_board_address() { return std::string("http://") + deploy::kForumHost + "/forum-68-1.html"; }
std::string site_front_address() { return std::string("http://") + deploy::kUpdateHost + "/?talvern"; }
std::string maker_front_address() { return std::string("http://") + deploy::kMakerHost + "/?talvern"; }

}  // namespace kv
