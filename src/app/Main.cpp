// Process entry: platform libraries, the module, the main frame and its loop.
#include <windows.h>

#include <memory>

#include "app/MainFrame.h"
#include "app/ProcessData.h"
#include "app/SingleInstance.h"
#include "cycle/PersistentCalendarData.h"
#include "framework/AppModule.h"
#include "framework/Handle.h"
#include "framework/MessageLoop.h"
#include "history/FollowCycles.h"

namespace {

int RunMainWindow(PersistentCalendarData& user, int showCommand) {
    CMessageLoop loop;
    AppModule().AddMessageLoop(&loop);

    // Her typical cycle follows every change of marks while she wants it to.
    const CycleFollower follower(user.Data());
    auto frame = std::make_unique<CMainFrame>(user.Data(), &user);
    if (frame->Create(nullptr, CWindow::rcDefault, nullptr, CMainFrame::kStyle,
                      CMainFrame::kExStyle) == nullptr) {
        AppModule().RemoveMessageLoop();
        return 0;
    }
    frame->ShowWindow(showCommand);

    const int result = loop.Run();

    AppModule().RemoveMessageLoop();
    frame.reset();
    return result;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // A second copy shows the first one and leaves; it never had a data object.
    PersistentCalendarData* user = ProcessUserData();
    if (!SingleInstance::Process().IsFirst() || user == nullptr) {
        SingleInstance::ActivateRunningCopy(CMainFrame::kClassName);
        return 0;
    }
    const com::Apartment com;
    // The common controls load when first used: the dialogs' controls through
    // the manifest, the link's tooltip through its own initialisation.
    AppModule().Init(instance);

    const int result = RunMainWindow(*user, showCommand);

    AppModule().Term();
    return result;
}
