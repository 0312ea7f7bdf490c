// Draws the tray icons: a monitor standing as the desktop does (landscape,
// turned clockwise, turned counter-clockwise) and the program icon. Drawn,
// not shipped as bitmaps, so every size stays crisp and the source is this
// file. The dark body with a light rim reads on light and dark panels alike.
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QSvgGenerator>
#include <QTextStream>

#include <cmath>
#include <vector>

#include "IcoFile.h"

namespace {

// Not every C++17 library defines M_PI.
constexpr double kPi = 3.14159265358979323846;

const QColor kRim(250, 250, 250);
const QColor kBody(40, 42, 46);
const QColor kScreen(42, 168, 165);
const QColor kScreenLight(120, 214, 210);
const QColor kArrow(255, 196, 0);

enum class Pose { Landscape, Clockwise, CounterClockwise, Program };

void DrawMonitor(QPainter& p, bool portrait)
{
    const QRectF body = portrait ? QRectF(18, 3, 28, 44) : QRectF(3, 8, 58, 36);
    const QRectF screen = body.adjusted(4, 4, -4, -4);
    // Stand: neck and foot stay put while the panel turns on it.
    QPainterPath stand;
    stand.addRect(QRectF(29, body.bottom(), 6, 52 - body.bottom()));
    stand.addRoundedRect(QRectF(18, 52, 28, 6), 2, 2);
    p.setPen(QPen(kRim, 2));
    p.setBrush(kBody);
    p.drawPath(stand);
    p.drawRoundedRect(body, 4, 4);
    QLinearGradient glow(screen.topLeft(), screen.bottomRight());
    glow.setColorAt(0, kScreenLight);
    glow.setColorAt(1, kScreen);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(screen, 2, 2);
}

// The head at the end of an arc drawn around centre, pointing along the turn.
void DrawArrowHead(QPainter& p, const QPointF& centre, double radius, double endDegrees, bool clockwise,
                   double length, double halfWidth, double outline)
{
    const double end = endDegrees * kPi / 180.0;
    const QPointF tip(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
    const double heading = end + (clockwise ? -kPi / 2 : kPi / 2);
    const QPointF dir(std::cos(heading), -std::sin(heading));
    const QPointF side(-dir.y(), dir.x());
    QPolygonF head;
    head << tip + dir * length << tip + side * halfWidth << tip - side * halfWidth;
    p.setPen(QPen(kBody, outline));
    p.setBrush(kArrow);
    p.drawPolygon(head);
}

// A bold arc beside the turned monitor, on the side its top turned to, with
// the head at the end of the turn. Kept to one side so the two directions
// stay apart even at 22 pixels.
void DrawSideArrow(QPainter& p, bool clockwise)
{
    const QPointF centre(32, 25);
    const double radius = 23;
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const double start = clockwise ? 55 : 125;
    const double span = clockwise ? -100 : 100;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBody, 9, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(circle, int(start * 16), int(span * 16));
    p.setPen(QPen(kArrow, 5.5, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(circle, int(start * 16), int(span * 16));
    DrawArrowHead(p, centre, radius, start + span, clockwise, 9, 8, 2);
}

// The program's own picture: a quarter turn over a landscape screen.
void DrawTurnArrow(QPainter& p)
{
    const QRectF arc(22, 12, 20, 20);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBody, 6.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(arc, 160 * 16, -120 * 16);
    p.setPen(QPen(kArrow, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(arc, 160 * 16, -120 * 16);
    DrawArrowHead(p, arc.center(), 10, 40, true, 6, 5, 1.5);
}

void Paint(QPainter& p, Pose pose, int size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    switch (pose) {
    case Pose::Landscape: DrawMonitor(p, false); break;
    case Pose::Clockwise: DrawMonitor(p, true); DrawSideArrow(p, true); break;
    case Pose::CounterClockwise: DrawMonitor(p, true); DrawSideArrow(p, false); break;
    case Pose::Program:
        DrawMonitor(p, false);
        DrawTurnArrow(p);
        break;
    }
}

QImage Draw(Pose pose, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Paint(p, pose, size);
    return image;
}

bool Fail(const QString& path)
{
    QTextStream(stderr) << "cannot write " << path << "\n";
    return false;
}

// The program icon for a desktop icon theme: hicolor's size folders and a
// scalable SVG painted by the same code.
bool WriteThemeIcons(const QString& themeDir, const QString& name)
{
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(themeDir).arg(size);
        const QString path = dir + "/" + name + ".png";
        if (!QDir().mkpath(dir) || !Draw(Pose::Program, size).save(path))
            return Fail(path);
    }
    const QString dir = themeDir + "/scalable/apps";
    const QString path = dir + "/" + name + ".svg";
    if (!QDir().mkpath(dir))
        return Fail(path);
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRect(0, 0, 64, 64));
    svg.setTitle(name);
    QPainter p;
    if (!p.begin(&svg))
        return Fail(path);
    Paint(p, Pose::Program, 64);
    return p.end() || Fail(path);
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc == 4 && QString(argv[1]) == "--theme")
        return WriteThemeIcons(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    if (argc == 3 && QString(argv[1]) == "--ico") {
        // The executable's own icon, at the sizes the shell asks for.
        std::vector<QImage> images;
        for (int size : {16, 20, 24, 32, 40, 48, 64, 256})
            images.push_back(Draw(Pose::Program, size));
        const QString path = QString::fromLocal8Bit(argv[2]);
        if (!orvane::icon::WriteIcoFile(path, images)) {
            QTextStream(stderr) << "cannot write " << path << "\n";
            return 1;
        }
        return 0;
    }
    if (argc < 2) {
        QTextStream(stderr) << "usage: orvane-icons <output folder> [size]\n"
                               "       orvane-icons --theme <icon name> <theme folder>\n"
                               "       orvane-icons --ico <file.ico>\n";
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int size = argc > 2 ? QString(argv[2]).toInt() : 64;
    const struct {
        const char* name;
        Pose pose;
    } icons[] = {{"icon_64.png", Pose::Program},
                 {"icon_landscape_64.png", Pose::Landscape},
                 {"icon_cw90_64.png", Pose::Clockwise},
                 {"icon_ccw90_64.png", Pose::CounterClockwise}};
    for (const auto& icon : icons) {
        if (!Draw(icon.pose, size).save(dir + "/" + icon.name)) {
            QTextStream(stderr) << "cannot write " << dir << "/" << icon.name << "\n";
            return 1;
        }
    }
    return 0;
}
