#include "SmallFileSystem.h"

#include <sys/mount.h>

#include <QByteArray>
#include <QFile>
#include <QStorageInfo>

#include "support/TestSupport.h"

namespace orvane::test {

SmallFileSystem::SmallFileSystem(qint64 bytes) : m_path(MakeScratchDir("small-fs"))
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                        options.constData())
        == 0;
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
}

void SmallFileSystem::FillLeaving(qint64 left)
{
    QFile filler(m_path + "/filler");
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, 'f');
    while (QStorageInfo(m_path).bytesAvailable() > left && filler.write(block) == block.size()) {
    }
}

}  // namespace orvane::test
