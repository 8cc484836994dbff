#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QRegion>

#include <array>
#include <functional>
#include <optional>

namespace qa {

// Part of the widget set the program was designed with; no window of this program shows it
// at present. It is kept, with its tests, for the pages that will.
//
// A skinnable button with four looks (normal, pressed, hover, disabled), each with its own
// colours, font, text, bitmap, region and text offset; it behaves as a push button, a check
// box or a radio button.
class SkinButton : public QAbstractButton {
    Q_OBJECT
public:
    enum State { Normal, Pressed, Hover, Disabled };
    // Setters taking a state also accept AllStates.
    static constexpr int AllStates = -1;
    enum Kind { Push, CheckBox, Radio };
    enum TextOffset { OffsetNone, OffsetUpLeft, OffsetDownRight };
    enum FontStyle {
        FontBold = 0x20,
        FontItalic = 0x40,
        FontUnderline = 0x80,
        FontStrikeOut = 0x100
    };

    // Window style bits the kind used to come from.
    static constexpr quint32 kStyleAutoCheckBox = 0x3;
    static constexpr quint32 kStyleAutoRadio = 0x9;
    static constexpr quint32 kStylePushLike = 0x1000;
    static constexpr quint32 kStyleLeftText = 0x20;

    // Plays a sound file or resource (":/..." path). Replaceable for tests and for desktops
    // without audio.
    using SoundPlayer = std::function<void(const QString&)>;

    explicit SkinButton(QWidget* parent = nullptr);
    SkinButton(const QString& text, Kind kind, QWidget* parent = nullptr);

    static Kind KindFromStyle(quint32 style);
    // Kind, push-like and text-left flags from a button style, with the text offsets of that
    // kind.
    void ApplyStyle(quint32 style);
    void SetKind(Kind kind);
    Kind GetKind() const { return kind_; }
    void SetPushLike(bool pushLike);
    bool IsPushLike() const { return pushLike_; }
    void SetTextLeft(bool textLeft);

    // Push buttons never become checked.
    void SetCheck(bool checked);
    bool GetCheck() const { return isChecked(); }
    // Radios of the same parent and group number uncheck each other.
    void SetGroup(int group) { group_ = group; }
    int GetGroup() const { return group_; }

    State CurrentState() const;
    bool IsHovering() const { return hovering_; }

    void SetBkColor(int state, const QColor& color);
    void SetTextColor(int state, const QColor& color);
    void SetStateText(int state, const QString& text);
    void SetFontFace(int state, const QString& face);
    void SetFontHeight(int state, int pixelHeight);
    void SetFontStyle(int state, int styleBits);
    void SetTextOffset(int state, TextOffset mode);
    void EnableTextOffset(int state, bool enable);
    void SetBorder(int state, int width, const QColor& outerTopLeft, const QColor& outerBottomRight,
                   const QColor& innerTopLeft, const QColor& innerBottomRight);
    void SetBitmap(int state, const QPixmap& bitmap);
    void SetRegion(int state, const QRegion& region);
    // The source is stretched to the button; its pixels of neither transparent colour become
    // the state's shape and are drawn as its face.
    void SetSkin(int state, const QImage& source, const QColor& transparent1,
                 const QColor& transparent2 = QColor());
    // The part of the parent's background image under the button, painted first.
    void SetParentBackground(const QPixmap& parentBackground);

    QColor GetBkColor(State state) const;
    QColor GetTextColor(State state) const;
    QString GetStateText(State state) const;
    QFont GetStateFont(State state) const;
    TextOffset GetTextOffset(State state) const;
    QRegion GetRegion(State state) const;

    void SetFillBackground(bool enable);
    void SetDrawText(bool enable);
    void SetDrawBorder(bool enable);
    void SetDrawFocusRect(bool enable);
    void SetFocusColoring(bool enable);
    // Each channel of the background while focused: c + c * percent / 100, within 0..255.
    void SetFocusColorPercent(int red, int green, int blue);
    void SetDrawGlyph(bool enable);

    void SetSounds(const QString& hoverSound, const QString& pressSound);
    static SoundPlayer SetSoundPlayer(SoundPlayer player);

    void SetToolTipText(const QString& text);

    // Rectangles of the runs of pixels of neither transparent colour (an invalid colour
    // matches nothing).
    static QRegion RegionFromBitmap(const QImage& image, const QColor& transparent1,
                                    const QColor& transparent2 = QColor());

    QSize sizeHint() const override;

public slots:
    // A checked radio of the group hands over: this one unchecks.
    void Uncheck();

protected:
    virtual void OnFillBackground(QPainter& painter, State state);
    virtual void OnDrawBorder(QPainter& painter, State state);
    virtual void OnDrawBitmap(QPainter& painter, State state);
    virtual void OnDrawText(QPainter& painter, State state);
    virtual void OnDrawFocus(QPainter& painter, State state);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void nextCheckState() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct StateLook {
        std::optional<QColor> background;
        std::optional<QColor> textColor;
        std::optional<QString> text;
        QString fontFace;
        int fontHeight = 0;
        int fontStyle = 0;
        TextOffset offset = OffsetUpLeft;
        bool offsetEnabled = true;
        int borderWidth = 2;
        std::array<std::optional<QColor>, 4> border;
        QPixmap bitmap;
        QRegion region;
        QImage skinSource;
        QColor skinTransparent1;
        QColor skinTransparent2;
        QPixmap skin;
    };

    static int index(State state) { return state - Normal; }
    template <typename F> void forStates(int state, F&& apply);
    void setDefaultOffsets();
    void rebuildSkin(StateLook& look);
    void applyRegion();
    void toggleByUser();
    void uncheckGroup();
    QRect glyphRect() const;
    QRect textRect() const;
    void playSound(const QString& sound) const;

    std::array<StateLook, 4> looks_;
    Kind kind_ = Push;
    bool pushLike_ = false;
    bool textLeft_ = false;
    int group_ = 0;
    bool hovering_ = false;
    bool fillBackground_ = true;
    bool drawText_ = true;
    bool drawBorder_ = true;
    bool drawFocusRect_ = true;
    bool focusColoring_ = true;
    int focusPercent_[3] = {0, 0, 0};
    bool drawGlyph_ = true;
    QPixmap parentBackground_;
    QString hoverSound_;
    QString pressSound_;
    std::optional<State> regionState_;
};

} // namespace qa
