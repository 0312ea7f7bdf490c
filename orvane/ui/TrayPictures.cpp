#include "orvane/ui/TrayPictures.h"

namespace orvane {

const QIcon& TrayPictures::Picture(const QString& path)
{
    auto found = m_pictures.find(path);
    if (found == m_pictures.end())
        found = m_pictures.emplace(path, QIcon(path)).first;
    return found->second;
}

}  // namespace orvane
