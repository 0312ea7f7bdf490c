#include "tools/orvane-probe/SettingsEdit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>

#include <algorithm>

#include "platform/host/HostFiles.h"

namespace orvane {

namespace {

const QString kSection = "[Monitors]";
const QString kKey = "Models";

// The models a settings file lists, read the way the tray program reads them.
std::vector<ModelCode> ListedModels(const QString& path)
{
    std::vector<ModelCode> models;
    QSettings settings(path, QSettings::IniFormat);
    for (const QString& entry : settings.value("Monitors/Models").toStringList())
        if (const auto model = ParseModelCode(entry))
            models.push_back(*model);
    return models;
}

bool Contains(const std::vector<ModelCode>& models, const ModelCode& model)
{
    return std::find(models.begin(), models.end(), model) != models.end();
}

// A line without its carriage return (files written on Windows keep theirs).
QString Bare(const QString& line)
{
    return line.endsWith('\r') ? line.chopped(1) : line;
}

bool IsSectionHeader(const QString& line)
{
    const QString text = line.trimmed();
    return text.startsWith('[') && text.endsWith(']');
}

// Where the value of a key line ends: before a comment (";" outside quotes)
// and the blanks ahead of it. Only ASCII blanks: the text is the file's
// bytes, where 0xA0 may be the second half of a UTF-8 letter.
int ValueEnd(const QString& line)
{
    const QString bare = Bare(line);
    bool quoted = false;
    int end = bare.size();
    for (int i = bare.indexOf('=') + 1; i < bare.size(); ++i) {
        if (bare[i] == '"') {
            quoted = !quoted;
        } else if (bare[i] == ';' && !quoted) {
            end = i;
            break;
        }
    }
    while (end > bare.indexOf('=') + 1 && (bare[end - 1] == ' ' || bare[end - 1] == '\t'))
        --end;
    return end;
}

// A settings file's lines and where the tray program finds its models: the
// last Models line in a [Monitors] section.
struct Lines {
    QStringList lines;
    QString cr;  // "\r" in a file written with Windows line breaks
    int section = -1;
    int keyLine = -1;
};

Lines Scan(const QString& text)
{
    Lines file;
    file.cr = text.contains("\r\n") ? "\r" : "";
    file.lines = text.split('\n');
    if (file.lines.last().isEmpty())
        file.lines.removeLast();  // what follows the final line break
    bool inSection = false;
    for (int i = 0; i < file.lines.size(); ++i) {
        const QString& line = file.lines[i];
        if (IsSectionHeader(line)) {
            inSection = line.trimmed() == kSection;
            if (inSection)
                file.section = i;
        } else if (inSection && line.contains('=') && line.left(line.indexOf('=')).trimmed() == kKey) {
            file.keyLine = i;
        }
    }
    return file;
}

// Adds the models to the Models line, else as a new line of the last
// [Monitors] section, else in a new section at the end.
void Add(Lines& file, const QString& added)
{
    if (file.keyLine >= 0) {
        QString& line = file.lines[file.keyLine];
        const int end = ValueEnd(line);
        const bool empty = line.mid(line.indexOf('=') + 1, end - line.indexOf('=') - 1).trimmed().isEmpty();
        line.insert(end, (empty ? "" : ",") + added);
    } else if (file.section >= 0) {
        file.keyLine = file.section + 1;
        file.lines.insert(file.keyLine, kKey + "=" + added + file.cr);
    } else {
        if (!file.lines.isEmpty() && !Bare(file.lines.last()).trimmed().isEmpty())
            file.lines << file.cr;
        file.lines << kSection + file.cr;
        file.keyLine = file.lines.size();
        file.lines << kKey + "=" + added + file.cr;
    }
}

}  // namespace

SettingsEdit AddModelsToSettingsFile(const QString& givenPath, const std::vector<ModelCode>& models)
{
    SettingsEdit edit;
    // A settings file that is a link (kept with the user's other dot files)
    // stays one: its target is what changes.
    const QString path = QFileInfo(givenPath).isSymLink() && QFileInfo(givenPath).exists()
                             ? QFileInfo(givenPath).canonicalFilePath()
                             : givenPath;
    const QFileInfo info(path);
    QByteArray bytes;
    if (info.exists()) {
        QFile file(path);
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
            edit.error = "cannot read " + path + (info.isFile() ? ": " + file.errorString() : ": not a plain file");
            return edit;
        }
        bytes = file.readAll();
    }
    std::vector<ModelCode> wanted = info.exists() ? ListedModels(path) : std::vector<ModelCode>();
    QStringList added;
    for (const ModelCode& model : models) {
        if (!Contains(wanted, model)) {
            wanted.push_back(model);
            added << ModelCodeText(model);
        }
    }
    // The file's bytes one for one (Latin-1): comments in another encoding
    // and a byte-order mark stay as they were, which decoding as UTF-8 would
    // not keep; every byte the edit looks for is ASCII.
    const QByteArray bom = bytes.startsWith("\xEF\xBB\xBF") ? bytes.left(3) : QByteArray();
    Lines file = Scan(QString::fromLatin1(bytes.mid(bom.size())));
    if (!added.isEmpty())
        Add(file, added.join(","));
    edit.modelsLine =
        file.keyLine >= 0 ? QString::fromUtf8(Bare(file.lines[file.keyLine]).trimmed().toLatin1()) : QString();
    if (added.isEmpty()) {
        edit.ok = true;
        return edit;
    }

    if (!QDir().mkpath(info.absolutePath())) {
        edit.error = "cannot create the folder " + info.absolutePath();
        return edit;
    }
    QTemporaryFile staged(info.absolutePath() + "/.RunInfo.ini.XXXXXX");
    const QByteArray written = bom + (file.lines.join('\n') + "\n").toLatin1();
    if (!staged.open() || staged.write(written) != written.size() || !staged.flush() ||
        !platform::host::FlushToDisk(staged.handle())) {
        edit.error = "cannot write in " + info.absolutePath() + ": " + staged.errorString();
        return edit;
    }
    // What the tray program will read must hold every model wanted; a line
    // written in a form this code did not foresee leaves the file alone.
    const std::vector<ModelCode> readBack = ListedModels(staged.fileName());
    if (!std::all_of(wanted.begin(), wanted.end(), [&](const ModelCode& m) { return Contains(readBack, m); })) {
        edit.error = "the Models line of " + path + " is written in a form this tool cannot extend; add " +
                     added.join(",") + " to it by hand";
        return edit;
    }
    if (info.exists())
        staged.setPermissions(QFile::permissions(path));
    else
        staged.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    staged.close();  // Windows renames no open file
    if (!platform::host::ReplaceWithStaged(staged.fileName(), path)) {
        edit.error = "cannot replace " + path;
        return edit;
    }
    staged.setAutoRemove(false);  // it is the settings file now
    edit.ok = true;
    edit.changed = true;
    return edit;
}

}  // namespace orvane
