// Draws the tray icons: a monitor standing as the desktop does (landscape,
// turned clockwise, turned counter-clockwise) and the program icon. Drawn,
// not shipped as bitmaps, so every size stays crisp and the source is this
// file. The dark body with a light rim reads on light and dark panels alike.
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QTextStream>

#include <cmath>

namespace {

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

void DrawTurnArrow(QPainter& p, bool clockwise)
{
    // A quarter arc over the screen with its head at the end of the turn.
    const QRectF arc(22, 12, 20, 20);
    const double start = clockwise ? 160 : 20;
    const double span = clockwise ? -120 : 120;
    QPen pen(kArrow, 3.5, Qt::SolidLine, Qt::RoundCap);
    p.setPen(QPen(kBody, 6.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(arc, int(start * 16), int(span * 16));
    p.setPen(pen);
    p.drawArc(arc, int(start * 16), int(span * 16));
    const double end = (start + span) * M_PI / 180.0;
    const QPointF tip(arc.center().x() + 10 * std::cos(end), arc.center().y() - 10 * std::sin(end));
    const double heading = end + (clockwise ? -M_PI / 2 : M_PI / 2);
    const QPointF dir(std::cos(heading), -std::sin(heading));
    const QPointF side(-dir.y(), dir.x());
    QPolygonF head;
    head << tip + dir * 6 << tip + side * 5 << tip - side * 5;
    p.setPen(QPen(kBody, 1.5));
    p.setBrush(kArrow);
    p.drawPolygon(head);
}

QImage Draw(Pose pose, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    switch (pose) {
    case Pose::Landscape: DrawMonitor(p, false); break;
    case Pose::Clockwise: DrawMonitor(p, true); DrawTurnArrow(p, true); break;
    case Pose::CounterClockwise: DrawMonitor(p, true); DrawTurnArrow(p, false); break;
    case Pose::Program:
        DrawMonitor(p, false);
        DrawTurnArrow(p, true);
        break;
    }
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: orvane-icons <output folder> [size]\n";
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
