// The password dialogs opened for real and driven from their own loops: the
// password that opens her calendar, one that does not, and setting, changing
// and recovering a password with every refusal said in the dialog.
#include <gtest/gtest.h>

#include "MessagePump.h"
#include "ModalDialogDriver.h"
#include "WindowText.h"

#include "crypto/KeyRing.h"
#include "crypto/PasswordRules.h"
#include "dialogs/LockOptionsDlg.h"
#include "dialogs/ProtectDlg.h"
#include "dialogs/UnlockDlg.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"

#include "resource.h"

#include <string_view>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::span<const std::uint8_t> Utf8Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

keyring::Protection Protected(std::string_view password) {
    std::optional<keyring::Protection> made = keyring::Create(Utf8Bytes(password), 1000);
    EXPECT_TRUE(made);
    return std::move(*made);
}

void Type(HWND dialog, int edit, const wchar_t* text) {
    ::SetDlgItemTextW(dialog, edit, text);
}

// Presses the button and waits for the key work it starts, if any, to end.
void PressAndWait(HWND dialog, int button, int message) {
    Click(dialog, button);
    EXPECT_TRUE(WaitFor([&] {
        return !::IsWindow(dialog) || ::IsWindowEnabled(::GetDlgItem(dialog, IDC_NEW_PASSWORD)) ||
               (message == IDC_UNLOCK_MESSAGE &&
                ::IsWindowEnabled(::GetDlgItem(dialog, IDC_UNLOCK_PASSWORD)));
    }));
}

std::wstring Said(HWND dialog, int message) {
    return WindowText(::GetDlgItem(dialog, message));
}

} // namespace

TEST(UnlockDlgTest, WrongPasswordIsSaidAndTheRightOneOpens) {
    keyring::Protection protection = Protected("Moon7abc");
    std::wstring afterWrong, typedAfterWrong, caption;
    ModalDialogDriver driver;
    driver.Script({
        [&](HWND dialog) {
            caption = WindowText(dialog);
            Type(dialog, IDC_UNLOCK_PASSWORD, L"Moon7abd");
            PressAndWait(dialog, IDOK, IDC_UNLOCK_MESSAGE);
            afterWrong = Said(dialog, IDC_UNLOCK_MESSAGE);
            typedAfterWrong = WindowText(::GetDlgItem(dialog, IDC_UNLOCK_PASSWORD));
        },
        [&](HWND dialog) {
            Type(dialog, IDC_UNLOCK_PASSWORD, L"Moon7abc");
            PressAndWait(dialog, IDOK, IDC_UNLOCK_MESSAGE);
        },
    });
    UnlockDlg unlock(driver.Owner(), UnlockDlg::Purpose::Open, protection.key.header);
    ASSERT_EQ(unlock.DoModal(driver.Owner()), IDOK);
    EXPECT_EQ(caption, L"Lunabel");
    EXPECT_EQ(afterWrong, LoadResourceString(IDS_WRONG_PASSWORD));
    EXPECT_TRUE(typedAfterWrong.empty()) << "the wrong password is not left in the box";
    const keyring::SealingKey key = unlock.TakeKey();
    EXPECT_EQ(key.header, protection.key.header);
    EXPECT_EQ(Bytes(key.dataKey.Span().begin(), key.dataKey.Span().end()),
              Bytes(protection.key.dataKey.Span().begin(), protection.key.dataKey.Span().end()));
}

// What each purpose offers, and how she leaves it without a password.
TEST(UnlockDlgTest, EachPurposeSaysWhatItIsForAndCancelOpensNothing) {
    const keyring::Protection protection = Protected("Moon7abc");
    struct Case {
        UnlockDlg::Purpose purpose;
        UINT prompt;
        UINT button;
        bool forgotShown;
    } cases[] = {
        {UnlockDlg::Purpose::Open, IDS_UNLOCK_PROMPT, IDS_UNLOCK_BUTTON, true},
        {UnlockDlg::Purpose::Remove, IDS_REMOVE_PROMPT, IDS_REMOVE_BUTTON, false},
        {UnlockDlg::Purpose::OpenCopy, IDS_MERGE_PROMPT, IDS_UNLOCK_BUTTON, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.purpose));
        std::wstring prompt, button;
        bool forgot = false;
        HWND focus = nullptr, edit = nullptr;
        ModalDialogDriver driver;
        driver.Script({[&](HWND dialog) {
            prompt = Said(dialog, IDC_UNLOCK_PROMPT);
            button = WindowText(::GetDlgItem(dialog, IDOK));
            forgot = ::IsWindowVisible(::GetDlgItem(dialog, IDC_FORGOT_PASSWORD)) != FALSE;
            focus = ::GetFocus();
            edit = ::GetDlgItem(dialog, IDC_UNLOCK_PASSWORD);
            Click(dialog, IDCANCEL);
        }});
        UnlockDlg unlock(driver.Owner(), c.purpose, protection.key.header);
        EXPECT_EQ(unlock.DoModal(driver.Owner()), IDCANCEL);
        EXPECT_EQ(prompt, LoadResourceString(c.prompt));
        EXPECT_EQ(button, LoadResourceString(c.button));
        EXPECT_EQ(forgot, c.forgotShown);
        EXPECT_EQ(focus, edit) << "she types her password at once";
    }
}

TEST(ProtectDlgTest, RefusedPasswordsSayWhyThenTheRecoveryKeyMustBeKept) {
    struct Refusal {
        const wchar_t* password;
        const wchar_t* repeated;
        UINT said;
    } refusals[] = {
        {L"Moon7ab", L"Moon7ab", IDS_PASSWORD_TOO_SHORT},
        {L"aaaaaaaaaa", L"aaaaaaaaaa", IDS_PASSWORD_ONE_CHARACTER},
        {L"12345678", L"12345678", IDS_PASSWORD_PLAIN_RUN},
        {L"Moon7abc", L"Moon7abd", IDS_PASSWORD_MISMATCH},
    };
    std::vector<std::wstring> said;
    std::wstring shownKey;
    bool finishBeforeTick = true, finishAfterTick = false;
    std::vector<ModalDialogDriver::Step> steps;
    for (const Refusal& refusal : refusals) {
        steps.push_back([&said, refusal](HWND dialog) {
            Type(dialog, IDC_NEW_PASSWORD, refusal.password);
            Type(dialog, IDC_REPEAT_PASSWORD, refusal.repeated);
            Click(dialog, IDOK);
            said.push_back(Said(dialog, IDC_PROTECT_MESSAGE));
        });
    }
    steps.push_back([](HWND dialog) {
        Type(dialog, IDC_NEW_PASSWORD, L"Moon7abc");
        Type(dialog, IDC_REPEAT_PASSWORD, L"Moon7abc");
        PressAndWait(dialog, IDOK, IDC_PROTECT_MESSAGE);
    });
    steps.push_back([&](HWND dialog) {
        shownKey = WindowText(::GetDlgItem(dialog, IDC_RECOVERY_KEY));
        finishBeforeTick = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
        Click(dialog, IDC_KEY_KEPT);
        finishAfterTick = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
        Click(dialog, IDOK);
    });
    ModalDialogDriver driver;
    driver.Script(steps);
    ProtectDlg protect(driver.Owner(), ProtectDlg::Mode::TurnOn, {});
    ASSERT_EQ(protect.DoModal(driver.Owner()), IDOK);
    ASSERT_EQ(said.size(), std::size(refusals));
    for (std::size_t i = 0; i < said.size(); ++i) {
        EXPECT_EQ(said[i], LoadResourceString(refusals[i].said)) << "refusal " << i;
    }
    EXPECT_FALSE(finishBeforeTick);
    EXPECT_TRUE(finishAfterTick);
    keyring::Protection protection = protect.TakeProtection();
    EXPECT_EQ(shownKey, std::wstring(protection.recoveryKey.begin(), protection.recoveryKey.end()));
    EXPECT_EQ(keyring::UnlockWithPassword(protection.key.header, Utf8Bytes("Moon7abc")).status,
              keyring::Unlock::Unlocked);
    const secrets::TypedRecoveryKey typed = secrets::ParseRecoveryKey(protection.recoveryKey);
    EXPECT_EQ(keyring::UnlockWithRecoveryKey(protection.key.header, typed.key).status,
              keyring::Unlock::Unlocked);
}

// Changing asks her password first; the recovery key, checked as typed, opens
// the calendar when she forgot it. Either way a new recovery key is shown.
TEST(ProtectDlgTest, ChangeAndRecoverTakeOnlyTheRightSecret) {
    const keyring::Protection old = Protected("Moon7abc");
    std::string recovery = old.recoveryKey;
    recovery[3] = recovery[3] == 'A' ? 'B' : 'A';
    struct Case {
        ProtectDlg::Mode mode;
        std::wstring wrong;
        UINT wrongSaid;
        std::wstring right;
    } cases[] = {
        {ProtectDlg::Mode::Change, L"Moon7abd", IDS_WRONG_PASSWORD, L"Moon7abc"},
        {ProtectDlg::Mode::Recover, std::wstring(recovery.begin(), recovery.end()),
         IDS_RECOVERY_KEY_CHECK, std::wstring(old.recoveryKey.begin(), old.recoveryKey.end())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        std::wstring wrongSaid;
        ModalDialogDriver driver;
        driver.Script({
            [&](HWND dialog) {
                Type(dialog, IDC_CURRENT_SECRET, c.wrong.c_str());
                Type(dialog, IDC_NEW_PASSWORD, L"Star9pqr");
                Type(dialog, IDC_REPEAT_PASSWORD, L"Star9pqr");
                PressAndWait(dialog, IDOK, IDC_PROTECT_MESSAGE);
                wrongSaid = Said(dialog, IDC_PROTECT_MESSAGE);
            },
            [&](HWND dialog) {
                Type(dialog, IDC_CURRENT_SECRET, c.right.c_str());
                Type(dialog, IDC_NEW_PASSWORD, L"Star9pqr");
                Type(dialog, IDC_REPEAT_PASSWORD, L"Star9pqr");
                PressAndWait(dialog, IDOK, IDC_PROTECT_MESSAGE);
            },
            [](HWND dialog) {
                Click(dialog, IDC_KEY_KEPT);
                Click(dialog, IDOK);
            },
        });
        ProtectDlg protect(driver.Owner(), c.mode, old.key.header);
        ASSERT_EQ(protect.DoModal(driver.Owner()), IDOK);
        EXPECT_EQ(wrongSaid, LoadResourceString(c.wrongSaid));
        const keyring::Protection made = protect.TakeProtection();
        EXPECT_NE(made.recoveryKey, old.recoveryKey);
        EXPECT_EQ(keyring::UnlockWithPassword(made.key.header, Utf8Bytes("Star9pqr")).status,
                  keyring::Unlock::Unlocked);
        EXPECT_EQ(keyring::UnlockWithPassword(made.key.header, Utf8Bytes("Moon7abc")).status,
                  keyring::Unlock::WrongSecret);
        if (c.mode == ProtectDlg::Mode::Recover) {
            EXPECT_EQ(protect.TakeOpenedKey().header, old.key.header);
        }
    }
}

// Opens on her current choices; OK gives what she set, Cancel leaves them.
TEST(LockOptionsDlgTest, ShowsTheChoicesAndGivesBackWhatSheSet) {
    std::wstring shownAfter;
    UINT shownWithWindows = 0;
    std::wstring comboName;
    ModalDialogDriver driver;
    driver.Script({[&](HWND dialog) {
        const HWND after = ::GetDlgItem(dialog, IDC_LOCK_AFTER);
        shownAfter = WindowText(after);
        shownWithWindows = ::IsDlgButtonChecked(dialog, IDC_LOCK_WITH_WINDOWS);
        Click(dialog, IDC_LOCK_WITH_WINDOWS);
        ::SendMessageW(after, CB_SETCURSEL, 2, 0); // 5 minutes
        Click(dialog, IDOK);
    }});
    LockOptionsDlg options(driver.Owner(), LockChoices{true, 15});
    ASSERT_EQ(options.DoModal(driver.Owner()), IDOK);
    EXPECT_EQ(shownAfter, FormatCountString(IDS_LOCK_MINUTES, 15));
    EXPECT_EQ(shownWithWindows, static_cast<UINT>(BST_CHECKED));
    EXPECT_FALSE(options.Chosen().withWindows);
    EXPECT_EQ(options.Chosen().idleMinutes, 5);
}
