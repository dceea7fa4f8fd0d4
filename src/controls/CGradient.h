#pragma once
// A container that paints its own background: a gradient, a brushed-metal gradient or a tiled or
// stretched picture, with an optional border, glyph and caption. Other controls sit on it.

#include "base/UMultiLang.h"
#include "controls/UColors.h"
#include "controls/UGradientPaint.h"

#include <QImage>
#include <QString>
#include <QWidget>

class TCustomGradient : public QWidget
{
    Q_OBJECT
public:
    enum TGradientOrientation { goLeftToRight, goRightToLeft, goTopToBottom, goBottomToTop };
    enum TGradientBackgroundStyle {
        bsGradientOnly,
        bsTiledBackground,
        bsStretchedBackGround,
        bsBrushedGradient
    };
    enum TGradientEllipsisStyle { gesNone, gesEndEllipsis, gesPathEllipsis };
    enum TBorderStyle { bsNone, bsSingle };
    enum TTextLayout { tlTop, tlCenter, tlBottom };
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };

    explicit TCustomGradient(QWidget *parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString &value);
    bool MultiLang() const { return FMultiLang.MultiLang; }
    void SetMultiLang(bool value);
    TDictionaryType MultiLangType() const { return FMultiLang.MultiLangType; }
    void SetMultiLangType(TDictionaryType value);
    TGradientEllipsisStyle EllipsisStyle() const { return FEllipsisStyle; }
    void SetEllipsisStyle(TGradientEllipsisStyle value);
    TColor ColorBegin() const { return FColorBegin; }
    void SetColorBegin(TColor value);
    TColor ColorEnd() const { return FColorEnd; }
    void SetColorEnd(TColor value);
    TGradientOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TGradientOrientation value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value);
    int BorderMargin() const { return FBorderMargin; }
    // Negative values are stored as 0.
    void SetBorderMargin(int value);
    TTextLayout CaptionLayout() const { return FCaptionLayout; }
    void SetCaptionLayout(TTextLayout value);
    TAlignment CaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment value);
    bool DirectDraw() const { return FDirectDraw; }
    // Paint straight onto the control instead of through an off-screen bitmap; does not repaint.
    void SetDirectDraw(bool value) { FDirectDraw = value; }
    QString GlyphStandard() const { return FGlyphStandard; }
    // A different, non-empty name clears the glyph picture.
    void SetGlyphStandard(const QString &value);
    QImage Glyph() const { return FGlyph; }
    // Clears GlyphStandard.
    void SetGlyph(const QImage &value);
    TTextLayout GlyphLayout() const { return FGlyphLayout; }
    void SetGlyphLayout(TTextLayout value);
    TAlignment GlyphAlignment() const { return FGlyphAlignment; }
    void SetGlyphAlignment(TAlignment value);
    bool GlyphTransparent() const { return FGlyphTransparent; }
    void SetGlyphTransparent(bool value);
    QImage Background() const { return FBackground; }
    void SetBackground(const QImage &value);
    TGradientBackgroundStyle BackgroundStyle() const { return FBackgroundStyle; }
    void SetBackgroundStyle(TGradientBackgroundStyle value);
    // The caption's colour (the font's colour); the button face colour at first.
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor value);
    QString BackgroundStandard() const { return FBackgroundStandard; }
    // A different name clears the background picture.
    void SetBackgroundStandard(const QString &value);

    // Renders the control as its paint event does, onto the given canvas of the control's size.
    void PaintTo(QPainter &canvas);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage GlyphImage() const;
    QImage BackgroundImage() const;
    void PaintBackground(QPainter &canvas);
    void PaintGlyph(QPainter &canvas, QRect &textRect);
    void PaintCaption(QPainter &canvas, const QRect &textRect);

    QString FCaption;
    TMultiLangSettings FMultiLang;
    TGradientEllipsisStyle FEllipsisStyle = gesNone;
    TColor FColorBegin = clBtnText;
    TColor FColorEnd = clBtnFace;
    TGradientOrientation FOrientation = goLeftToRight;
    TBorderStyle FBorderStyle = bsNone;
    TColor FBorderColor = clWindowFrame;
    int FBorderMargin = 6;
    TTextLayout FCaptionLayout = tlCenter;
    TAlignment FCaptionAlignment = taLeftJustify;
    bool FDirectDraw = false;
    QString FGlyphStandard;
    QImage FGlyph;
    TTextLayout FGlyphLayout = tlCenter;
    TAlignment FGlyphAlignment = taCenter;
    bool FGlyphTransparent = false;
    QImage FBackground;
    TGradientBackgroundStyle FBackgroundStyle = bsGradientOnly;
    QString FBackgroundStandard;
    TColor FFontColor = clBtnFace;
};

class TGradient : public TCustomGradient
{
    Q_OBJECT
public:
    using TCustomGradient::TCustomGradient;
};
