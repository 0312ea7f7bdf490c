// Puts the staged files of a run in place all together or not at all, and
// undoes at the next run what a run cut off in the middle (kill -9, power
// cut) left half swapped.
//
// Before the first installed file is touched, the journal (UpdateJournal in
// the installation folder) lists every file of the swap. Each swap keeps the
// old file under a second name (a hard link, else a copy) and then renames
// the new one over it, so every installed path holds a whole file, old or
// new, at every moment. When all are in, the journal is removed: that is
// the moment the new release counts as installed; the kept old files go
// after it. Until then a failure, or the next run after a crash, puts every
// old file back and removes the new ones.
#pragma once

#include <QList>
#include <QString>

#include <functional>

#include "renovo/UpdatePlan.h"

namespace orvane {

// Renames staged over target in one step; the host's by default.
using ReplaceStep = std::function<bool(const QString& staged, const QString& target)>;

// UndoInterrupted: an old file could not go back.
constexpr int kUndoIncomplete = -2;

class FileSwap {
public:
    explicit FileSwap(QString installDir);
    // Replaces the rename the swap is made of, to inject failures.
    void SetReplaceStep(ReplaceStep step) { m_replace = std::move(step); }

    // Writes the journal, swaps every file in and removes the journal. On
    // any failure everything swapped so far is put back, the staged files
    // and the journal go (the journal stays when an old file cannot go
    // back), and the reason is returned with whether the old files are all
    // back.
    QString SwapAll(const QList<PlannedFile>& files);
    // Removes the old files SwapAll kept (once it succeeded).
    void RemoveBackups(const QList<PlannedFile>& files);

    // Undoes the swap a journal left in the installation folder, if one is
    // there. Returns how many files were put back, -1 when the journal could
    // not be read (then every kept old file found is put back all the same),
    // kUndoIncomplete when an old file could not go back (the journal and the kept files
    // stay for the next try).
    int UndoInterrupted();

    QString JournalPath() const;

private:
    bool KeepOld(const PlannedFile& file);
    bool Undo(const PlannedFile& file);
    bool WriteJournal(const QList<PlannedFile>& files);
    bool ReadJournal(QList<PlannedFile>& files) const;

    QString m_installDir;
    ReplaceStep m_replace;
};

}  // namespace orvane
