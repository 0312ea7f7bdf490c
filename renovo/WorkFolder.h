// The updater's working folder for one run.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace orvane {

class WorkFolder {
public:
    // The shared UpdateWorkDir when this process owns it, emptied of what an
    // interrupted run left; otherwise (it was made by another user, say the
    // unelevated program, or is a link) a new private folder beside it.
    // False, with the reason logged, when neither can be had.
    bool Prepare();
    QString Path() const { return m_path; }
    // Removes the private folder, if one was made; the process may end
    // without running destructors.
    void Release();

private:
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_private;
};

// Removes the staged, kept and partial copies ("*.renovo-new",
// "*.renovo-old", "*.renovo-part-*") an interrupted run left in the
// installation folder and its folders one level down, once any interrupted
// swap was undone. Links are removed, never followed.
void RemoveStagedLeftovers(const QString& installDir);

}  // namespace orvane
