#include "controls/CGradient.h"

#include "controls/UStandardIcons.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

TCustomGradient::TCustomGradient(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPointSize(14);
    captionFont.setBold(true);
    setFont(captionFont);
    resize(100, 32);
}

#define QUILLON_GRADIENT_SETTER(Setter, Field, Type)                                                         \
    void TCustomGradient::Setter(Type value)                                                                 \
    {                                                                                                        \
        Field = value;                                                                                       \
        update();                                                                                            \
    }

QUILLON_GRADIENT_SETTER(SetCaption, FCaption, const QString &)
QUILLON_GRADIENT_SETTER(SetMultiLang, FMultiLang.MultiLang, bool)
QUILLON_GRADIENT_SETTER(SetMultiLangType, FMultiLang.MultiLangType, TDictionaryType)
QUILLON_GRADIENT_SETTER(SetColorBegin, FColorBegin, TColor)
QUILLON_GRADIENT_SETTER(SetColorEnd, FColorEnd, TColor)
QUILLON_GRADIENT_SETTER(SetOrientation, FOrientation, TGradientOrientation)
QUILLON_GRADIENT_SETTER(SetBorderStyle, FBorderStyle, TBorderStyle)
QUILLON_GRADIENT_SETTER(SetBorderColor, FBorderColor, TColor)
QUILLON_GRADIENT_SETTER(SetCaptionLayout, FCaptionLayout, TTextLayout)
QUILLON_GRADIENT_SETTER(SetCaptionAlignment, FCaptionAlignment, TAlignment)
QUILLON_GRADIENT_SETTER(SetGlyphLayout, FGlyphLayout, TTextLayout)
QUILLON_GRADIENT_SETTER(SetGlyphAlignment, FGlyphAlignment, TAlignment)
QUILLON_GRADIENT_SETTER(SetGlyphTransparent, FGlyphTransparent, bool)
QUILLON_GRADIENT_SETTER(SetBackgroundStyle, FBackgroundStyle, TGradientBackgroundStyle)
QUILLON_GRADIENT_SETTER(SetFontColor, FFontColor, TColor)
#undef QUILLON_GRADIENT_SETTER

void TCustomGradient::SetEllipsisStyle(TGradientEllipsisStyle value)
{
    if (value == FEllipsisStyle)
        return;
    FEllipsisStyle = value;
    update();
}

void TCustomGradient::SetBorderMargin(int value)
{
    FBorderMargin = std::max(value, 0);
    update();
}

void TCustomGradient::SetGlyphStandard(const QString &value)
{
    if (value == FGlyphStandard)
        return;
    FGlyphStandard = value;
    if (!value.isEmpty())
        FGlyph = QImage();
    update();
}

void TCustomGradient::SetGlyph(const QImage &value)
{
    FGlyph = value;
    FGlyphStandard.clear();
    update();
}

void TCustomGradient::SetBackground(const QImage &value)
{
    FBackground = value;
    update();
}

void TCustomGradient::SetBackgroundStandard(const QString &value)
{
    if (value == FBackgroundStandard)
        return;
    FBackgroundStandard = value;
    FBackground = QImage();
    update();
}

namespace {

QImage PictureOrStandard(const QImage &picture, const QString &standardName)
{
    if (!picture.isNull() || standardName.isEmpty() || !HasStandardIcon(standardName))
        return picture;
    const TStandardImagePtr image = GetStandardIcon(standardName);
    return image ? image->Image() : QImage();
}

} // namespace

QImage TCustomGradient::GlyphImage() const
{
    return PictureOrStandard(FGlyph, FGlyphStandard);
}

QImage TCustomGradient::BackgroundImage() const
{
    return PictureOrStandard(FBackground, FBackgroundStandard);
}

void TCustomGradient::paintEvent(QPaintEvent *)
{
    QPainter control(this);
    if (FDirectDraw) {
        PaintTo(control);
        return;
    }
    QImage surface(size(), QImage::Format_RGB32);
    surface.fill(palette().color(QPalette::Window));
    {
        QPainter canvas(&surface);
        PaintTo(canvas);
    }
    control.drawImage(0, 0, surface);
}

void TCustomGradient::PaintTo(QPainter &canvas)
{
    canvas.setFont(font());
    PaintBackground(canvas);
    if (FBorderStyle == bsSingle) {
        canvas.setPen(ColorToQColor(FBorderColor));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(QRect(0, 0, width() - 1, height() - 1));
    }
    QRect textRect = rect().adjusted(FBorderMargin, FBorderMargin - 1, -FBorderMargin, -FBorderMargin);
    PaintGlyph(canvas, textRect);
    PaintCaption(canvas, textRect);
}

void TCustomGradient::PaintBackground(QPainter &canvas)
{
    const QImage background = BackgroundImage();
    switch (FBackgroundStyle) {
    case bsTiledBackground:
        if (background.width() >= 1 && background.height() >= 1)
            for (int y = 0; y < height(); y += background.height())
                for (int x = 0; x < width(); x += background.width())
                    canvas.drawImage(x, y, background);
        break;
    case bsStretchedBackGround:
        if (!background.isNull())
            canvas.drawImage(rect(), background);
        break;
    case bsGradientOnly:
    case bsBrushedGradient: {
        const bool reversed = FOrientation == goRightToLeft || FOrientation == goBottomToTop;
        const TColor from = reversed ? FColorEnd : FColorBegin;
        const TColor to = reversed ? FColorBegin : FColorEnd;
        const TGradientDirection direction =
            FOrientation == goTopToBottom || FOrientation == goBottomToTop ? gdVertical : gdHorizontal;
        if (FBackgroundStyle == bsGradientOnly)
            DrawGradientRect(canvas, rect(), from, to, direction, grLinear);
        else
            DrawBrushedGradientRect(canvas, rect(), from, to, direction);
        break;
    }
    }
}

void TCustomGradient::PaintGlyph(QPainter &canvas, QRect &textRect)
{
    QImage glyph = GlyphImage();
    if (glyph.width() < 1)
        return;
    const int m = FBorderMargin;
    int x = (width() - glyph.width()) / 2;
    if (FGlyphAlignment == taLeftJustify) {
        x = m;
        textRect.setLeft(textRect.left() + glyph.width() + m);
    } else if (FGlyphAlignment == taRightJustify) {
        x = width() - m - glyph.width();
        textRect.setRight(textRect.right() - glyph.width() - m);
    }
    int y = (height() - glyph.height()) / 2;
    if (FGlyphLayout == tlTop)
        y = m;
    else if (FGlyphLayout == tlBottom)
        y = height() - m - glyph.height();
    // Without transparency the image covers its square, alpha included.
    if (!FGlyphTransparent && glyph.hasAlphaChannel()) {
        QImage opaque(glyph.size(), QImage::Format_RGB32);
        opaque.fill(Qt::black);
        QPainter(&opaque).drawImage(0, 0, glyph);
        glyph = opaque;
    }
    canvas.drawImage(x, y, glyph);
}

void TCustomGradient::PaintCaption(QPainter &canvas, const QRect &textRect)
{
    if (FCaption.isEmpty())
        return;
    QString text = TranslateIf(FCaption, FMultiLang);
    int flags = Qt::TextDontClip;
    if (FCaptionAlignment == taLeftJustify)
        flags |= Qt::AlignLeft;
    else if (FCaptionAlignment == taRightJustify)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignHCenter;
    if (FCaptionLayout == tlCenter)
        flags |= Qt::AlignVCenter | Qt::TextSingleLine;
    else if (FCaptionLayout == tlBottom)
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (FEllipsisStyle != gesNone) {
        flags |= Qt::TextSingleLine;
        const Qt::TextElideMode mode = FEllipsisStyle == gesEndEllipsis ? Qt::ElideRight : Qt::ElideMiddle;
        text = QFontMetrics(canvas.font()).elidedText(text, mode, textRect.width());
    }
    canvas.setPen(ColorToQColor(FFontColor));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawText(textRect, flags, text);
}
