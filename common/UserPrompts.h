// Every message box the update code shows goes through this interface, so the
// flows can run without a screen and their texts can be checked.
#pragma once

#include <QString>

#include <memory>

namespace orvane {

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // Information box with an OK button.
    virtual void Information(const QString& title, const QString& text) = 0;
    // Yes/No question, default Yes; true only for Yes.
    virtual bool Question(const QString& title, const QString& text) = 0;
    // Warning box with an OK button.
    virtual void Warning(const QString& title, const QString& text) = 0;
};

// Static QMessageBox boxes without parent window.
class MessageBoxPrompts : public UserPrompts {
public:
    void Information(const QString& title, const QString& text) override;
    bool Question(const QString& title, const QString& text) override;
    void Warning(const QString& title, const QString& text) override;
};

// For unattended runs (automated tests, demonstrations): writes each box as
// one line "box: <kind> | <title> | <text>" to standard error and answers it
// with OK or Yes at once.
class AutoConfirmPrompts : public UserPrompts {
public:
    void Information(const QString& title, const QString& text) override;
    bool Question(const QString& title, const QString& text) override;
    void Warning(const QString& title, const QString& text) override;
};

// AutoConfirmPrompts when the environment has ORVANE_AUTO_CONFIRM=1, else
// MessageBoxPrompts.
std::unique_ptr<UserPrompts> CreateUserPrompts();

}  // namespace orvane
