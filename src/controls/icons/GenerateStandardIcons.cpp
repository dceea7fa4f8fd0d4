// Draws the program's standard icons into PNG files, and the program's icon for Windows into
// quillon.ico; their output is committed beside this file.
// Build and run from this folder:
//   g++ -std=c++20 -fPIC GenerateStandardIcons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/gen-icons
//   QT_QPA_PLATFORM=offscreen /tmp/gen-icons .
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

QImage Canvas(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void Save(const QImage &image, const QString &folder, const QString &name)
{
    if (!image.save(QDir(folder).filePath(name + QStringLiteral(".png"))))
        qFatal("cannot write %s", qPrintable(name));
}

// A centred white sign in bold type, drawn as a path so its edges stay crisp.
void DrawSign(QPainter &p, const QRectF &box, const QString &sign, int pixelHeight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(pixelHeight);
    QPainterPath path;
    path.addText(0, 0, font, sign);
    const QRectF bounds = path.boundingRect();
    path.translate(box.center() - bounds.center());
    p.fillPath(path, Qt::white);
}

// A shaded disc with a sign: the dialogs' error, information and question icons.
QImage Badge(QColor light, QColor dark, const QString &sign)
{
    QImage image = Canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shade(QPointF(12, 10), 22);
    shade.setColorAt(0, light);
    shade.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(130), 1));
    p.setBrush(shade);
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    DrawSign(p, QRectF(1.5, 1.5, 29, 29), sign, 20);
    return image;
}

void DrawQuestionBubble(QPainter &p)
{
    p.setPen(QPen(QColor(20, 110, 40), 1));
    p.setBrush(QColor(40, 160, 70));
    p.drawEllipse(QRectF(17.5, 17.5, 13, 13));
    DrawSign(p, QRectF(17.5, 17.5, 13, 13), QStringLiteral("?"), 11);
}

QImage SaveQuestion()
{
    QImage image = Canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 50, 100), 1));
    p.setBrush(QColor(60, 100, 180));
    p.drawRoundedRect(QRectF(2.5, 2.5, 24, 24), 2, 2);
    p.setBrush(QColor(235, 240, 248));
    p.drawRect(QRectF(6.5, 2.5, 16, 9));
    p.setBrush(QColor(170, 180, 200));
    p.drawRect(QRectF(16.5, 4.5, 3, 5));
    p.setBrush(QColor(245, 245, 245));
    p.drawRect(QRectF(6.5, 15.5, 16, 11));
    DrawQuestionBubble(p);
    return image;
}

QImage ExitQuestion()
{
    QImage image = Canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(170, 120, 70));
    p.drawRect(QRectF(4.5, 2.5, 14, 26));
    p.setBrush(QColor(230, 200, 120));
    p.drawEllipse(QRectF(14, 15, 3, 3));
    QPainterPath arrow;
    arrow.moveTo(9, 12);
    arrow.lineTo(19, 12);
    arrow.lineTo(19, 8);
    arrow.lineTo(27, 14.5);
    arrow.lineTo(19, 21);
    arrow.lineTo(19, 17);
    arrow.lineTo(9, 17);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(150, 20, 20), 1));
    p.setBrush(QColor(220, 50, 40));
    p.drawPath(arrow.translated(-4, -6));
    DrawQuestionBubble(p);
    return image;
}

// The 16 x 16 folder glyph of the browse buttons; an open folder when open is set.
QImage Folder(bool open)
{
    QImage image = Canvas(16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(150, 110, 20);
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(240, 200, 90));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.5, 3.5);
    back.lineTo(8, 5.5);
    back.lineTo(14.5, 5.5);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(252, 225, 130));
    QPainterPath front;
    if (open) {
        front.moveTo(1.5, 13.5);
        front.lineTo(4, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13, 13.5);
    } else {
        front.moveTo(1.5, 7.5);
        front.lineTo(14.5, 7.5);
        front.lineTo(14.5, 13.5);
        front.lineTo(1.5, 13.5);
    }
    front.closeSubpath();
    p.drawPath(front);
    return image;
}

// The program's icon: a tile divided like a treemap of a build, with a quill across it. Drawn on a
// 256-pixel grid and scaled, so every size shows the same picture; the smallest keeps the tile only.
QImage ProgramIcon(int size)
{
    QImage image = Canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    const QRectF tile(12, 12, 232, 232);
    p.setPen(QPen(QColor(40, 60, 110), 8));
    p.setBrush(QColor(245, 247, 252));
    p.drawRoundedRect(tile, 28, 28);
    // Blocks in the grid's bar colours: units blue, forms sand, symbols green.
    struct TBlock
    {
        QRectF Box;
        QColor Fill;
    };
    const TBlock blocks[] = {
        {{28, 28, 120, 200}, QColor(192, 192, 255)},
        {{156, 28, 72, 110}, QColor(192, 240, 192)},
        {{156, 146, 72, 82}, QColor(224, 224, 208)},
        {{28, 28, 120, 96}, QColor(150, 150, 240)},
    };
    p.setPen(QPen(QColor(60, 70, 120), 6));
    for (const TBlock &block : blocks) {
        p.setBrush(block.Fill);
        p.drawRoundedRect(block.Box, 10, 10);
    }
    if (size < 24)
        return image;
    QPainterPath quill;
    quill.moveTo(60, 212);
    quill.cubicTo(110, 150, 170, 80, 226, 30);
    quill.cubicTo(214, 100, 160, 170, 84, 204);
    quill.closeSubpath();
    p.setPen(QPen(QColor(120, 40, 20), 6));
    p.setBrush(QColor(230, 110, 50));
    p.drawPath(quill);
    p.setPen(QPen(QColor(120, 40, 20), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(60, 212), QPointF(40, 236));
    return image;
}

void AppendLittleEndian(QByteArray &bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

// An icon image as Windows stores it below 256 pixels: a 32-bit bottom-up DIB of twice the height
// (the colour rows, then the 1-bit AND mask, which alpha makes redundant but every reader expects).
QByteArray DibEntry(const QImage &icon)
{
    const QImage image = icon.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int maskStride = ((size + 31) / 32) * 4;
    QByteArray bytes;
    AppendLittleEndian(bytes, 40, 4); // BITMAPINFOHEADER
    AppendLittleEndian(bytes, size, 4);
    AppendLittleEndian(bytes, 2 * size, 4);
    AppendLittleEndian(bytes, 1, 2);  // planes
    AppendLittleEndian(bytes, 32, 2); // bits per pixel
    AppendLittleEndian(bytes, 0, 4);  // uncompressed
    AppendLittleEndian(bytes, size * size * 4 + size * maskStride, 4);
    for (int i = 0; i < 4; ++i)
        AppendLittleEndian(bytes, 0, 4);
    for (int y = size - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < size; ++x)
            AppendLittleEndian(bytes, row[x], 4); // B, G, R, A in that order
    }
    for (int y = size - 1; y >= 0; --y) {
        QByteArray mask(maskStride, '\0');
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            if (qAlpha(row[x]) == 0)
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
        }
        bytes.append(mask);
    }
    return bytes;
}

QByteArray PngEntry(const QImage &icon)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!icon.save(&buffer, "PNG"))
        qFatal("cannot encode a PNG");
    return bytes;
}

// The Windows icon file: every size the shell asks for at 100 to 200 % scaling, the largest
// PNG-compressed as Windows has read it since Vista, the others as DIBs that every reader knows.
void SaveIconFile(const QList<int> &sizes, const QString &folder, const QString &name)
{
    QList<QByteArray> entries;
    for (const int size : sizes)
        entries.append(size >= 256 ? PngEntry(ProgramIcon(size)) : DibEntry(ProgramIcon(size)));
    QByteArray file;
    AppendLittleEndian(file, 0, 2); // ICONDIR
    AppendLittleEndian(file, 1, 2); // an icon, not a cursor
    AppendLittleEndian(file, quint32(sizes.size()), 2);
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const int size = sizes.at(i);
        AppendLittleEndian(file, size >= 256 ? 0 : size, 1); // 0 stands for 256
        AppendLittleEndian(file, size >= 256 ? 0 : size, 1);
        AppendLittleEndian(file, 0, 2); // no palette, reserved
        AppendLittleEndian(file, 1, 2); // planes
        AppendLittleEndian(file, 32, 2);
        AppendLittleEndian(file, quint32(entries.at(i).size()), 4);
        AppendLittleEndian(file, offset, 4);
        offset += quint32(entries.at(i).size());
    }
    for (const QByteArray &entry : entries)
        file.append(entry);
    QFile out(QDir(folder).filePath(name + QStringLiteral(".ico")));
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
        qFatal("cannot write %s", qPrintable(name));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    Save(Badge(QColor(250, 110, 100), QColor(190, 25, 25), QStringLiteral("\u00D7")), folder,
         QStringLiteral("png_error_red_32"));
    Save(Badge(QColor(110, 170, 250), QColor(25, 80, 190), QStringLiteral("i")), folder,
         QStringLiteral("png_information_blue_32"));
    Save(Badge(QColor(120, 220, 130), QColor(25, 140, 50), QStringLiteral("?")), folder,
         QStringLiteral("png_question_green_32"));
    Save(SaveQuestion(), folder, QStringLiteral("png_SaveQuestion"));
    Save(ExitQuestion(), folder, QStringLiteral("png_ExitQuestion"));
    Save(Folder(true), folder, QStringLiteral("sb_std_open"));
    Save(Folder(false), folder, QStringLiteral("FEDITBMP"));
    for (const int size : {16, 32, 48, 64, 128, 256})
        Save(ProgramIcon(size), folder, QStringLiteral("quillon_%1").arg(size));
    SaveIconFile({16, 20, 24, 32, 40, 48, 64, 96, 128, 256}, folder, QStringLiteral("quillon"));
    return 0;
}
