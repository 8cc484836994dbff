#pragma once

#include "print/page_sink.h"

#include <QByteArray>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPointF>
#include <QRawFont>
#include <QSizeF>

#include <memory>
#include <optional>
#include <vector>

class QPaintDevice;
struct z_stream_s;

namespace qa {

// Where the device's pixels lie on the PDF page.
struct PdfPageGeometry {
    QSizeF pageSize;         // points
    QPointF origin;          // points from the page's top-left corner to device pixel (0, 0)
    double resolution = 600; // device pixels per inch
};

// A sink that writes a PDF file itself as the layout finishes its pages.
class PdfDocumentSink : public PageSink {
public:
    // The document information; texts may hold any characters.
    virtual void SetInfo(const QString& creator, const QString& title) = 0;
    // Starts the document that will replace `path` once finished.
    [[nodiscard]] virtual bool Open(const QString& path) = 0;
    // Starts a new page, ending the one in progress.
    [[nodiscard]] virtual bool BeginPage() = 0;
    virtual void EndPage() = 0;
    // The file is complete and in place only after this; false when anything could not be
    // written, and then nothing is left of it.
    [[nodiscard]] virtual bool Finish() = 0;
    // Drops the unfinished document.
    virtual void Abort() = 0;
};

// A document sink that lays text out itself, as QPainter would on the device, and hands the
// result on as glyph runs: a subclass only draws glyphs, lines and clips. Shaped texts and
// their widths are kept per font, since headers, footers and headings repeat on every page.
class ShapingPageSink : public PdfDocumentSink {
public:
    // `device` is what the layout measures fonts on (the printer); it is never painted on.
    explicit ShapingPageSink(QPaintDevice* device);
    ~ShapingPageSink() override;

    void SetFont(const QFont& font) override;
    QFont Font() const override { return font_->font; }
    QFontMetrics FontMetrics() const override { return font_->metrics; }
    int TextWidth(const QString& text) override;
    Qt::LayoutDirection LayoutDirection() const override;
    void DrawText(const QPoint& baseline, const QString& text) override;
    QRect DrawWrappedText(const QRect& rect, int flags, const QString& text) override;
    void DrawTextLine(const QTextLine& line, const QString& text, const QPointF& position) override;

protected:
    QPaintDevice* device_;
    bool pageOpen_ = false; // text outside a page is dropped

private:
    struct ShapedRun {
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> positions; // from the start of the baseline
        QList<GlyphText> chars;
    };
    using Shaped = std::vector<ShapedRun>;
    // A font as the layout selects it, resolved for the device, with the texts shaped and
    // measured in it.
    struct FontState {
        QFont requested;
        QFont font;
        QFontMetrics metrics{QFont()};
        QHash<QString, Shaped> shaped;
        QHash<QString, int> widths;
    };

    const Shaped& Shape(const QString& text);

    std::vector<std::unique_ptr<FontState>> fonts_;
    FontState* font_ = nullptr;
};

// Writes a PDF file itself, page by page as the layout finishes them, so memory does not grow
// with the number of pages. Text is set in the fonts the layout measured with, embedded as
// TrueType subsets with Identity-H encoding and a ToUnicode map, so it can be searched and
// copied. Lines and clips are plain path operators.
class PdfPageSink : public ShapingPageSink {
public:
    PdfPageSink(QPaintDevice* device, const PdfPageGeometry& geometry);
    ~PdfPageSink() override;
    PdfPageSink(const PdfPageSink&) = delete;
    PdfPageSink& operator=(const PdfPageSink&) = delete;

    void SetInfo(const QString& creator, const QString& title) override;
    // Deflate level of the page contents; 0 leaves them uncompressed.
    void SetCompression(int level) { compression_ = level; }

    // Creates the file and writes the document's head.
    [[nodiscard]] bool Open(const QString& path) override;
    [[nodiscard]] bool BeginPage() override;
    void EndPage() override;
    // Fonts, page tree and cross-reference table; the file is complete only after this.
    [[nodiscard]] bool Finish() override;
    // Closes and removes an unfinished file.
    void Abort() override;
    int Pages() const { return static_cast<int>(pageIds_.size()); }

    bool Active() const override { return file_.isOpen(); }
    void DrawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                    const QList<QPointF>& positions, const QString& text,
                    const QList<GlyphText>& chars) override;
    void DrawLine(const QPoint& from, const QPoint& to) override;
    void PushClip(const QRect& rect) override;
    void PopClip() override;

private:
    struct Face;

    PdfPageGeometry geometry_;
    QString creator_;
    QString title_;
    int compression_ = 1;
    std::unique_ptr<z_stream_s> deflate_; // kept from page to page
    int deflateLevel_ = -1;
    QString path_; // where the finished file goes; file_ is a temporary file beside it
    QFile file_;
    QByteArray out_; // written to the file in large blocks
    qint64 written_ = 0;
    bool failed_ = false;
    std::vector<qint64> offsets_; // by object number; 0 unused
    int pagesId_ = 0;
    int resourcesId_ = 0;
    std::vector<int> pageIds_;
    QByteArray content_;
    int clipDepth_ = 0;
    // The text object left open for the next glyphs, and where its line starts.
    bool inText_ = false;
    const Face* textFace_ = nullptr;
    double textSize_ = 0;
    double lineX_ = 0;
    double lineY_ = 0;

    std::vector<std::unique_ptr<Face>> faces_;
    QHash<QString, Face*> facesByName_;
    QRawFont lastFont_;
    Face* lastFace_ = nullptr;

    int NewObject();
    void StartObject(int id);
    void Write(const QByteArray& bytes);
    void Flush();
    std::optional<QByteArray> Deflate(const QByteArray& data, int level);
    void WriteStream(int id, const QByteArray& dictionary, const QByteArray& data, int level);
    Face* FaceOf(const QRawFont& font);
    void EndText();
    static void NoteText(Face& face, std::size_t glyph, const QString& text,
                         const GlyphText& chars);
    void DrawOutlines(Face& face, const QRawFont& font, const QList<quint32>& glyphs,
                      const QList<QPointF>& positions);
    bool WriteFace(Face& face);
};

} // namespace qa
