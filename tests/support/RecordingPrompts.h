// The boxes a piece of the program would show, recorded instead.
#pragma once

#include <QString>
#include <QStringList>

#include "common/UserPrompts.h"

namespace orvane::test {

// Records every box and answers questions with a preset reply.
class RecordingPrompts : public UserPrompts {
public:
    QStringList shown;  // "kind|title|text"
    bool answer = true;

    void Information(const QString& title, const QString& text) override
    {
        shown << "information|" + title + "|" + text;
    }
    bool Question(const QString& title, const QString& text) override
    {
        shown << "question|" + title + "|" + text;
        return answer;
    }
    void Warning(const QString& title, const QString& text) override { shown << "warning|" + title + "|" + text; }
};

}  // namespace orvane::test
