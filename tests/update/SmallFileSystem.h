// A small tmpfs mounted on a scratch folder for one test, so that a full
// disk is a real one; unmounted by the destructor. Mounting needs root
// (the CI runs the tests so); elsewhere Mounted() is false and the test
// skips.
#pragma once

#include <QString>

namespace orvane::test {

class SmallFileSystem {
public:
    explicit SmallFileSystem(qint64 bytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool Mounted() const { return m_mounted; }
    QString Path() const { return m_path; }
    // Fills the file system until at most `left` bytes remain free.
    void FillLeaving(qint64 left);

private:
    QString m_path;
    bool m_mounted = false;
};

}  // namespace orvane::test
