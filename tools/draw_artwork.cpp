// Draws the program's artwork into PNG files: the splash picture, the two device pictures,
// the program icon (also as a Windows icon file), the button pictures and the row captions of
// the DO module pages.
// Run it again after changing a drawing:  draw_artwork <resources dir>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

namespace {

QString g_dir;

void save(const QImage& img, const char* name)
{
    const QString path = g_dir + QLatin1Char('/') + QLatin1String(name);
    if (!img.save(path, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void putLe(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// A Windows icon file holding one PNG image per size (what Windows Vista and later read).
void saveIcon(const QList<QImage>& sizes, const char* name)
{
    QList<QByteArray> pngs;
    for (const QImage& img : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "PNG");
        pngs << png;
    }
    QByteArray out;
    putLe(out, 0, 2); // reserved
    putLe(out, 1, 2); // an icon
    putLe(out, quint32(sizes.size()), 2);
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const int side = sizes[i].width();
        putLe(out, side >= 256 ? 0 : quint32(side), 1); // 0 stands for 256
        putLe(out, side >= 256 ? 0 : quint32(side), 1);
        putLe(out, 0, 1); // no palette
        putLe(out, 0, 1);
        putLe(out, 1, 2); // colour planes
        putLe(out, 32, 2); // bits per pixel
        putLe(out, quint32(pngs[i].size()), 4);
        putLe(out, offset, 4);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray& png : pngs)
        out += png;
    QFile f(g_dir + QLatin1Char('/') + QLatin1String(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
}

QImage canvas(int w, int h, QColor fill, bool alpha = false)
{
    QImage img(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    img.fill(alpha ? QColor(Qt::transparent) : fill);
    return img;
}

QImage to24(const QImage& img)
{
    return img.convertToFormat(QImage::Format_RGB888);
}

QFont font(int px, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// A panel-mount instrument seen from the front: a dark bezel with a display window.
void drawInstrument(QPainter& p, QRectF r, int displays, const QStringList& digits, QColor led)
{
    QLinearGradient body(r.topLeft(), r.bottomLeft());
    body.setColorAt(0, QColor(70, 74, 82));
    body.setColorAt(1, QColor(30, 32, 36));
    p.setPen(QPen(QColor(15, 15, 18), 2));
    p.setBrush(body);
    p.drawRoundedRect(r, 8, 8);
    const qreal pad = 10;
    QRectF inner = r.adjusted(pad, pad, -pad, -r.height() * 0.32);
    p.setBrush(QColor(12, 14, 12));
    p.setPen(QPen(QColor(90, 95, 100), 1));
    p.drawRoundedRect(inner, 4, 4);
    const qreal rowH = inner.height() / displays;
    for (int i = 0; i < displays; ++i) {
        QRectF row(inner.left() + 6, inner.top() + i * rowH + 3, inner.width() - 12, rowH - 6);
        p.setPen(led);
        p.setFont(font(int(rowH * 0.62), true));
        p.drawText(row, Qt::AlignRight | Qt::AlignVCenter, digits.value(i));
    }
    // keys
    const qreal keyY = inner.bottom() + (r.bottom() - inner.bottom()) / 2;
    for (int k = 0; k < 4; ++k) {
        QPointF c(r.left() + r.width() * (0.2 + 0.2 * k), keyY);
        QRadialGradient g(c, 9);
        g.setColorAt(0, QColor(200, 200, 205));
        g.setColorAt(1, QColor(110, 110, 118));
        p.setBrush(g);
        p.setPen(QPen(QColor(20, 20, 20), 1));
        p.drawEllipse(c, 8, 8);
    }
}

QImage vyrDevice()
{
    QImage img = canvas(200, 141, QColor(236, 236, 236));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A wide rack unit: analog display on the left, I/O terminal strip on the right.
    drawInstrument(
        p, QRectF(6, 10, 120, 121), 2, {QStringLiteral("16.0"), QStringLiteral("AI 07")}, QColor(255, 80, 40));
    p.setBrush(QColor(60, 110, 60));
    p.setPen(QPen(QColor(20, 40, 20), 1));
    p.drawRoundedRect(QRectF(132, 10, 62, 121), 4, 4);
    for (int i = 0; i < 8; ++i) {
        p.setBrush(QColor(210, 210, 200));
        p.drawRect(QRectF(140, 18 + i * 14, 12, 9));
        p.drawRect(QRectF(172, 18 + i * 14, 12, 9));
        p.setBrush(i % 3 == 0 ? QColor(80, 255, 80) : QColor(40, 70, 40));
        p.drawEllipse(QPointF(162, 22.5 + i * 14), 3, 3);
    }
    p.setPen(QColor(30, 30, 30));
    p.setFont(font(9, true));
    p.drawText(QRectF(6, 0, 120, 10), Qt::AlignCenter, QStringLiteral("VYRANTA"));
    return to24(img);
}

QImage plixDevice()
{
    QImage img = canvas(200, 140, QColor(236, 236, 236));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawInstrument(
        p, QRectF(20, 12, 160, 118), 2, {QStringLiteral("CH0 25.3"), QStringLiteral("CH1 61.8")}, QColor(80, 255, 120));
    p.setPen(QColor(30, 30, 30));
    p.setFont(font(9, true));
    p.drawText(QRectF(20, 0, 160, 12), Qt::AlignCenter, QStringLiteral("PLIXARO"));
    return to24(img);
}

QImage splash()
{
    QImage img = canvas(533, 370, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 370);
    sky.setColorAt(0, QColor(18, 52, 96));
    sky.setColorAt(1, QColor(6, 18, 38));
    p.fillRect(img.rect(), sky);
    // a faint trace of a signal across the picture
    QPainterPath wave;
    wave.moveTo(0, 250);
    for (int x = 0; x <= 533; x += 4)
        wave.lineTo(x, 250 - 38 * std::sin(x / 37.0) * std::exp(-x / 900.0) - (x > 300 ? (x - 300) * 0.1 : 0));
    p.setPen(QPen(QColor(80, 200, 255, 150), 2));
    p.drawPath(wave);
    p.setPen(QColor(255, 255, 255));
    p.setFont(font(54, true));
    p.drawText(QRect(0, 70, 533, 80), Qt::AlignCenter, QStringLiteral("Tarnixw"));
    p.setFont(font(17));
    p.setPen(QColor(170, 210, 240));
    p.drawText(QRect(0, 150, 533, 30), Qt::AlignCenter, QStringLiteral("Device configuration over Modbus RTU"));
    p.setFont(font(14, true));
    p.setPen(QColor(230, 230, 230));
    p.drawText(QRect(0, 300, 533, 24), Qt::AlignCenter, QStringLiteral("VYRANTA  \u00b7  PLIXARO"));
    return to24(img);
}

QImage icon(int size)
{
    QImage img = canvas(size, size, Qt::transparent, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 64.0;
    p.scale(s, s);
    p.setBrush(QColor(18, 52, 96));
    p.setPen(QPen(QColor(8, 24, 48), 2));
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 12, 12);
    p.setPen(QPen(QColor(80, 220, 255), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    path.moveTo(10, 40);
    path.lineTo(22, 40);
    path.lineTo(28, 18);
    path.lineTo(36, 48);
    path.lineTo(42, 30);
    path.lineTo(54, 30);
    p.drawPath(path);
    return img;
}

QImage magnifier()
{
    QImage img = canvas(20, 20, Qt::transparent, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 2.2));
    p.setBrush(QColor(190, 225, 255));
    p.drawEllipse(QPointF(8, 8), 5.5, 5.5);
    p.setPen(QPen(QColor(120, 70, 20), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 12.5), QPointF(18, 18));
    return img;
}

// A chip with an arrow leaving it (up, green) or entering it (down, red).
QImage chipArrow(bool up)
{
    QImage img = canvas(20, 30, Qt::transparent, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int i = 0; i < 4; ++i) {
        p.drawLine(QPointF(2, 19 + i * 3), QPointF(5, 19 + i * 3));
        p.drawLine(QPointF(15, 19 + i * 3), QPointF(18, 19 + i * 3));
    }
    p.setBrush(QColor(40, 40, 45));
    p.setPen(QPen(QColor(10, 10, 10), 1));
    p.drawRect(QRectF(5, 17, 10, 12));
    const QColor c = up ? QColor(0, 160, 0) : QColor(210, 0, 0);
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    QPolygonF arrow;
    if (up)
        arrow << QPointF(10, 0) << QPointF(17, 8) << QPointF(12.5, 8) << QPointF(12.5, 15) << QPointF(7.5, 15)
              << QPointF(7.5, 8) << QPointF(3, 8);
    else
        arrow << QPointF(10, 16) << QPointF(17, 8) << QPointF(12.5, 8) << QPointF(12.5, 0) << QPointF(7.5, 0)
              << QPointF(7.5, 8) << QPointF(3, 8);
    p.drawPolygon(arrow);
    return img;
}

QImage openFolder()
{
    QImage img = canvas(20, 20, Qt::transparent, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 90, 10), 1));
    p.setBrush(QColor(230, 190, 70));
    p.drawRect(QRectF(1.5, 4.5, 7, 3));
    p.drawRect(QRectF(1.5, 6.5, 14, 11));
    p.setBrush(QColor(250, 215, 110));
    QPolygonF lid;
    lid << QPointF(4, 10) << QPointF(19, 10) << QPointF(15.5, 17.5) << QPointF(1.5, 17.5);
    p.drawPolygon(lid);
    return img;
}

QImage diskArrow()
{
    QImage img = canvas(20, 20, Qt::transparent, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 30, 70), 1));
    p.setBrush(QColor(50, 80, 170));
    p.drawRect(QRectF(1.5, 5.5, 13, 13));
    p.setBrush(QColor(230, 230, 230));
    p.drawRect(QRectF(4.5, 5.5, 7, 5));
    p.setBrush(QColor(180, 180, 190));
    p.drawRect(QRectF(4.5, 13.5, 7, 5));
    p.setBrush(QColor(0, 150, 0));
    p.setPen(Qt::NoPen);
    QPolygonF arrow;
    arrow << QPointF(16, 9) << QPointF(20, 4) << QPointF(17.5, 4) << QPointF(17.5, 0) << QPointF(14.5, 0)
          << QPointF(14.5, 4) << QPointF(12, 4);
    p.drawPolygon(arrow);
    return img;
}

QImage usbCable()
{
    QImage img = canvas(35, 20, Qt::transparent, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // cable
    p.setPen(QPen(QColor(40, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
    QPainterPath cable;
    cable.moveTo(11, 10);
    cable.cubicTo(16, 2, 20, 18, 24, 10);
    p.drawPath(cable);
    // USB plug
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(QRectF(0.5, 6.5, 6, 7));
    p.setBrush(QColor(60, 60, 65));
    p.drawRect(QRectF(6.5, 5.5, 5, 9));
    // serial (DB9) plug
    p.setBrush(QColor(60, 60, 65));
    p.drawRect(QRectF(24, 4.5, 4, 11));
    QPolygonF d;
    d << QPointF(28, 3.5) << QPointF(34.5, 5) << QPointF(34.5, 15) << QPointF(28, 16.5);
    p.setBrush(QColor(200, 200, 205));
    p.drawPolygon(d);
    return img;
}

// The picture left of a DO grid: "Digital Output Channel" above "(Module m)", read bottom to top.
QImage doRowCaption(int module, int width)
{
    QImage img = canvas(width, 128, QColor(240, 240, 240));
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(0, 128);
    p.rotate(-90);
    p.setPen(QColor(0, 0, 0));
    p.setFont(font(10));
    p.drawText(QRect(0, 1, 128, 14), Qt::AlignCenter, QStringLiteral("Digital Output Channel"));
    p.drawText(QRect(0, 15, 128, 14), Qt::AlignCenter, QStringLiteral("(Module %1)").arg(module));
    return to24(img);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(g_dir);
    save(splash(), "splash.png");
    save(vyrDevice(), "vyr_device.png");
    save(plixDevice(), "plix_device.png");
    save(icon(64), "tarnixw.png");
    save(icon(256), "tarnixw-256.png");
    saveIcon({icon(16), icon(24), icon(32), icon(48), icon(64), icon(256)}, "tarnixw.ico");
    save(magnifier(), "btn_idsearch.png");
    save(chipArrow(true), "btn_read.png");
    save(chipArrow(false), "btn_write.png");
    save(openFolder(), "btn_openfile.png");
    save(diskArrow(), "btn_savefile.png");
    save(usbCable(), "btn_checkcom.png");
    save(doRowCaption(0, 31), "do_rows_0.png");
    save(doRowCaption(1, 30), "do_rows_1.png");
    save(doRowCaption(2, 31), "do_rows_2.png");
    return 0;
}
