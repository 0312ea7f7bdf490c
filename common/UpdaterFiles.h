// Names of the files the updater keeps for itself in the installation and
// working folders. No manifest entry may name one of them.
#pragma once

#include <QString>

namespace orvane {

// The newest signed-manifest sequence this installation accepted.
constexpr const char kSequenceFileName[] = "UpdateSequence";
// Written before the first installed file is swapped, removed once every
// swap succeeded: while it exists the installation may be half swapped.
constexpr const char kJournalFileName[] = "UpdateJournal";
// A new file staged beside the installed one it is to replace.
constexpr const char kStagedSuffix[] = ".renovo-new";
// The installed file kept until every swap of the run succeeded.
constexpr const char kBackupSuffix[] = ".renovo-old";
// A file being written, before it is complete (a random tail follows).
constexpr const char kPartInfix[] = ".renovo-part-";

// Whether an installed or packed file name is one of the updater's own or
// the user's: the settings, the sequence record, the journal, staged,
// backup and partial copies, the logs, the lock files. Compared without case, as Windows
// does.
bool IsUpdaterStateName(const QString& name);

}  // namespace orvane
