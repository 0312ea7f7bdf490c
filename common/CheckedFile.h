// A file written whole or not at all: every write checked to its last byte,
// the data forced to disk and the size on disk compared with what was
// written before the file counts as done. A full disk is a failure, never
// a shorter file.
#pragma once

#include <QFile>
#include <QString>

namespace orvane {

class CheckedFile {
public:
    CheckedFile() = default;
    ~CheckedFile();
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;

    // Creates path, which must not exist yet (nothing already there, a link
    // say, is ever written through).
    bool Create(const QString& path);
    // Creates a file of a new name beside target: target + ".renovo-part-"
    // and six random letters.
    bool CreateBeside(const QString& target);
    bool Write(const char* data, qint64 size);
    // Flushes, forces the data to disk, closes and checks the size on disk.
    // The file stays; on failure it is removed.
    bool Finish();
    // Finish() followed by moving the file over target in one step. On
    // failure the file is removed and target left as it was.
    bool CommitTo(const QString& target);
    // Closes and removes the file, whatever state it is in.
    void Discard();

    QString Path() const { return m_file.fileName(); }
    qint64 Written() const { return m_written; }
    QString Problem() const { return m_problem; }

private:
    bool Fail(const QString& why);

    QFile m_file;
    qint64 m_written = 0;
    bool m_created = false;  // the file at Path() is this object's own
    bool m_finished = false;
    QString m_problem;
};

}  // namespace orvane
