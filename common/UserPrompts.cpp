#include "common/UserPrompts.h"

#include <QMessageBox>

#include <cstdio>

namespace orvane {

void MessageBoxPrompts::Information(const QString& title, const QString& text)
{
    QMessageBox::information(nullptr, title, text, QMessageBox::Ok);
}

bool MessageBoxPrompts::Question(const QString& title, const QString& text)
{
    return QMessageBox::question(nullptr, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

void MessageBoxPrompts::Warning(const QString& title, const QString& text)
{
    QMessageBox::warning(nullptr, title, text, QMessageBox::Ok);
}

namespace {

void Announce(const char* kind, const QString& title, const QString& text)
{
    std::fprintf(stderr, "box: %s | %s | %s\n", kind, title.toUtf8().constData(), text.toUtf8().constData());
    std::fflush(stderr);
}

}  // namespace

void AutoConfirmPrompts::Information(const QString& title, const QString& text)
{
    Announce("information", title, text);
}

bool AutoConfirmPrompts::Question(const QString& title, const QString& text)
{
    Announce("question", title, text);
    return true;
}

void AutoConfirmPrompts::Warning(const QString& title, const QString& text)
{
    Announce("warning", title, text);
}

std::unique_ptr<UserPrompts> CreateUserPrompts()
{
    if (qgetenv("ORVANE_AUTO_CONFIRM") == "1")
        return std::make_unique<AutoConfirmPrompts>();
    return std::make_unique<MessageBoxPrompts>();
}

}  // namespace orvane
