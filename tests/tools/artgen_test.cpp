// The image generator as the window code relies on it: every image at its size, four
// different states in every strip, strips that blend into the ground they sit on, a resource
// list that matches the files, and the same bytes on every run.
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdlib>
#include <string>

using qa::test::ReadFile;
using qa::test::TempDir;

namespace {

struct Expected {
    const char* file;
    int width;
    int height;
    bool strip;
};

const Expected kImages[] = {
    {"skin_corner_bottom_left_131.png", 21, 21, false},
    {"skin_corner_bottom_right_132.png", 21, 21, false},
    {"skin_caption_tile_133.png", 30, 17, false},
    {"skin_close_134.png", 21, 19, false},
    {"skin_close_pressed_135.png", 21, 19, false},
    {"skin_maximise_136.png", 21, 19, false},
    {"skin_maximise_pressed_137.png", 21, 19, false},
    {"skin_caption_icon_138.png", 22, 19, false},
    {"skin_minimise_139.png", 21, 19, false},
    {"skin_minimise_pressed_140.png", 21, 19, false},
    {"icon_close_171.png", 32, 32, false},
    {"nav_home_173.png", 440, 100, true},
    {"nav_settings_174.png", 440, 100, true},
    {"nav_get_data_175.png", 440, 100, true},
    {"nav_view_data_176.png", 440, 100, true},
    {"bg_list_178.png", 1014, 738, false},
    {"nav_get_data_current_179.png", 440, 100, true},
    {"cmd_print_180.png", 252, 35, true},
    {"cmd_export_181.png", 252, 35, true},
    {"cmd_search_182.png", 252, 35, true},
    {"bg_home_209.png", 1014, 738, false},
    {"pic_meter_304.png", 200, 240, false},
    {"app_icon_128_16.png", 16, 16, false},
    {"app_icon_128_32.png", 32, 32, false},
    {"app_icon_128_48.png", 48, 48, false},
    {"app_icon_128_256.png", 256, 256, false},
    // The images with words, in English.
    {"nav_home_173_en.png", 440, 100, true},
    {"nav_settings_174_en.png", 440, 100, true},
    {"nav_get_data_175_en.png", 440, 100, true},
    {"nav_view_data_176_en.png", 440, 100, true},
    {"bg_list_178_en.png", 1014, 738, false},
    {"nav_get_data_current_179_en.png", 440, 100, true},
    {"cmd_print_180_en.png", 252, 35, true},
    {"cmd_search_182_en.png", 252, 35, true},
    {"bg_home_209_en.png", 1014, 738, false},
};

void generate(const std::string& dir) {
    const std::string command = std::string(QA_ARTGEN_PATH) + " " + dir + " > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

QImage load(const std::string& dir, const char* file) {
    return QImage(QString::fromStdString(dir + "/images/" + file));
}

class ArtGen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        out_ = new TempDir;
        generate(out_->Path());
    }
    static void TearDownTestSuite() {
        delete out_;
        out_ = nullptr;
    }
    static TempDir* out_;
};

TempDir* ArtGen::out_ = nullptr;

TEST_F(ArtGen, WritesEveryImageAtItsSizeWithFourDifferentStatesInEachStrip) {
    for (const Expected& e : kImages) {
        SCOPED_TRACE(e.file);
        const QImage image = load(out_->Path(), e.file);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), e.width);
        EXPECT_EQ(image.height(), e.height);
        if (!e.strip) {
            continue;
        }
        const int w = image.width() / 4;
        for (int a = 0; a < 4; ++a) {
            for (int b = a + 1; b < 4; ++b) {
                EXPECT_NE(image.copy(a * w, 0, w, image.height()),
                          image.copy(b * w, 0, w, image.height()))
                    << "states " << a << " and " << b;
            }
        }
    }
}

TEST_F(ArtGen, EveryImageAlsoAtTwiceThePixelsAndLikeItsPlainFile) {
    // The @2x file is a sharper drawing of the same picture: scaled down it must look like
    // the plain one (same layout, same colours), not be another picture or an enlargement.
    for (const Expected& e : kImages) {
        SCOPED_TRACE(e.file);
        QString name = QString::fromLatin1(e.file);
        name.insert(name.lastIndexOf('.'), "@2x");
        const QImage big(QString::fromStdString(out_->Path() + "/images/") + name);
        ASSERT_FALSE(big.isNull());
        EXPECT_EQ(big.size(), QSize(2 * e.width, 2 * e.height));
        EXPECT_EQ(big.devicePixelRatio(), 2.0); // as Qt reads the name
        const QImage plain = load(out_->Path(), e.file).convertToFormat(QImage::Format_ARGB32);
        const QImage down =
            big.scaled(plain.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_ARGB32);
        qint64 difference = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                const QRgb a = plain.pixel(x, y);
                const QRgb b = down.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                              std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
            }
        }
        // Edges and text differ by antialiasing; a shifted or different drawing by far more.
        EXPECT_LT(double(difference) / (plain.width() * plain.height()), 24.0);
        // Not an enlarged bitmap: the big file has detail between the plain file's pixels.
        const QImage enlarged = plain.scaled(big.size()).convertToFormat(QImage::Format_ARGB32);
        EXPECT_NE(enlarged, big.convertToFormat(QImage::Format_ARGB32));
    }
}

TEST_F(ArtGen, StripCornersMatchTheGroundTheButtonsSitOn) {
    // Navigation buttons sit on the header band, command buttons on the white filter card;
    // a corner of another colour would show as a box around the rounded face.
    const QImage page = load(out_->Path(), "bg_list_178.png");
    const QRgb band = page.pixel(499, 14);
    EXPECT_EQ(page.pixel(954 - 1, 14 + 99), band);
    EXPECT_EQ(load(out_->Path(), "bg_home_209.png").pixel(499, 14), band);
    EXPECT_EQ(page.pixel(747, 145), QColor(Qt::white).rgb());
    EXPECT_EQ(page.pixel(871, 142), QColor(Qt::white).rgb());
    for (const Expected& e : kImages) {
        if (!e.strip) {
            continue;
        }
        SCOPED_TRACE(e.file);
        const QImage image = load(out_->Path(), e.file);
        const QRgb ground = e.width == 440 ? band : QColor(Qt::white).rgb();
        const int w = image.width() / 4;
        for (int s = 0; s < 4; ++s) {
            EXPECT_EQ(image.pixel(s * w, 0), ground) << "state " << s;
            EXPECT_EQ(image.pixel(s * w + w - 1, 0), ground) << "state " << s;
        }
    }
}

// The English file of an image is the same drawing with other words: the glyphs, the logo,
// the cards and the footer are the Korean file's pixels, the words are not. Images without
// words have one file for both languages.
TEST_F(ArtGen, EnglishFilesAreTheSameDrawingWithOtherWords) {
    struct Pair {
        const char* file;
        QRect same;  // no words there
        QRect words; // the words
    };
    const Pair pairs[] = {
        {"nav_home_173.png", QRect(36, 14, 38, 38), QRect(9, 57, 92, 22)},
        {"nav_settings_174.png", QRect(36, 14, 38, 38), QRect(9, 57, 92, 22)},
        {"nav_get_data_175.png", QRect(36, 14, 38, 38), QRect(9, 57, 92, 22)},
        {"nav_view_data_176.png", QRect(36, 14, 38, 38), QRect(9, 57, 92, 22)},
        {"nav_get_data_current_179.png", QRect(256, 14, 38, 38), QRect(229, 57, 92, 22)},
        {"cmd_print_180.png", QRect(0, 0, 63, 3), QRect(5, 5, 53, 25)},
        {"cmd_search_182.png", QRect(0, 0, 63, 3), QRect(5, 5, 53, 25)},
        {"bg_list_178.png", QRect(0, 0, 130, 128), QRect(134, 78, 300, 20)},
        {"bg_home_209.png", QRect(700, 150, 268, 262), QRect(86, 176, 600, 190)},
    };
    for (const Pair& pair : pairs) {
        SCOPED_TRACE(pair.file);
        QString english = QString::fromLatin1(pair.file);
        english.insert(english.lastIndexOf('.'), "_en");
        const QImage ko = load(out_->Path(), pair.file);
        const QImage en = load(out_->Path(), qPrintable(english));
        ASSERT_EQ(en.size(), ko.size());
        EXPECT_EQ(en.copy(pair.same), ko.copy(pair.same));
        EXPECT_NE(en.copy(pair.words), ko.copy(pair.words));
    }
    for (const char* wordless : {"cmd_export_181_en.png", "pic_meter_304_en.png",
                                 "skin_caption_tile_133_en.png", "icon_close_171_en.png"}) {
        EXPECT_FALSE(QFile::exists(QString::fromStdString(out_->File("images/") + wordless)))
            << wordless;
    }
}

TEST_F(ArtGen, ResourceListNamesExactlyTheWrittenImages) {
    const QString qrc = QString::fromStdString(ReadFile(out_->File("resources.qrc")));
    const QStringList written =
        QDir(QString::fromStdString(out_->File("images"))).entryList({"*.png"}, QDir::Files);
    ASSERT_GE(written.size(), static_cast<qsizetype>(std::size(kImages)));
    EXPECT_EQ(qrc.count("<file>"), written.size());
    for (const QString& file : written) {
        EXPECT_TRUE(qrc.contains("<file>images/" + file + "</file>")) << file.toStdString();
    }
    EXPECT_TRUE(qrc.contains("<qresource prefix=\"/\">"));
}

TEST_F(ArtGen, ThemeIconsAtEveryDesktopSizeAndAsScalableSvg) {
    const QString theme = QString::fromStdString(out_->File("icons/hicolor"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        SCOPED_TRACE(size);
        const QImage icon(QString("%1/%2x%2/apps/quorina1c.png").arg(theme).arg(size));
        ASSERT_EQ(icon.size(), QSize(size, size));
        // Rounded corners on a transparent ground; the white drop at the centre line.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
        const QColor drop = icon.pixelColor(size / 2, size * 2 / 5);
        EXPECT_GT(drop.lightness(), 220) << drop.name().toStdString();
    }
    // The same mark as SVG: well-formed, the face and drop drawn as outlines, the text too
    // (so it needs no font where it is shown).
    const QString svg =
        QString::fromStdString(ReadFile(out_->File("icons/hicolor/scalable/apps/quorina1c.svg")));
    QDomDocument document;
    ASSERT_TRUE(document.setContent(svg));
    const QDomElement root = document.documentElement();
    EXPECT_EQ(root.tagName(), "svg");
    EXPECT_EQ(root.attribute("viewBox"), "0 0 256 256");
    EXPECT_EQ(document.elementsByTagName("rect").size(), 2);
    EXPECT_EQ(document.elementsByTagName("text").size(), 0);
    const QDomNodeList paths = document.elementsByTagName("path");
    ASSERT_EQ(paths.size(), 2) << "drop and text";
    for (int i = 0; i < paths.size(); ++i) {
        const QString d = paths.at(i).toElement().attribute("d");
        EXPECT_TRUE(d.startsWith('M') && d.endsWith('Z')) << d.left(40).toStdString();
        EXPECT_GT(d.count('C'), 3);
    }
    EXPECT_EQ(paths.at(0).toElement().attribute("fill"), "#ffffff");
}

TEST_F(ArtGen, SameBytesOnEveryRunAndAsCheckedIn) {
    TempDir again;
    generate(again.Path());
    const QDir checkedIn(QString(QA_SOURCE_DIR) + "/res/images");
    const QStringList files =
        QDir(QString::fromStdString(out_->File("images"))).entryList(QDir::Files);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const std::string name = "images/" + file.toStdString();
        EXPECT_EQ(ReadFile(out_->File(name)), ReadFile(again.File(name)));
        // Other font versions may draw text a little differently, so the checked-in copy is
        // only compared by its dimensions.
        ASSERT_TRUE(checkedIn.exists(file));
        if (file.endsWith(".png")) {
            EXPECT_EQ(QImage(checkedIn.filePath(file)).size(),
                      load(out_->Path(), qPrintable(file)).size());
        }
    }
    // The theme icons likewise.
    const QDir icons(QString::fromStdString(out_->File("icons")));
    QDirIterator it(icons.path(), QDir::Files, QDirIterator::Subdirectories);
    int count = 0;
    while (it.hasNext()) {
        const QString name = icons.relativeFilePath(it.next());
        SCOPED_TRACE(name.toStdString());
        ++count;
        const std::string path = "icons/" + name.toStdString();
        EXPECT_EQ(ReadFile(out_->File(path)), ReadFile(again.File(path)));
        const QString checkedInIcon = QString(QA_SOURCE_DIR) + "/res/icons/" + name;
        ASSERT_TRUE(QFile::exists(checkedInIcon));
        if (name.endsWith(".png")) {
            EXPECT_EQ(QImage(checkedInIcon).size(), QImage(icons.filePath(name)).size());
        }
    }
    EXPECT_EQ(count, 10);
}

} // namespace
