// The colour dialog driven like a user: real widgets offscreen, the chosen colours saved
// to a real colors.dat through the settings file.
#include "settings/ColorDialog.h"
#include "settings/SettingsFile.h"
#include "tests/app/AppTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QApplication>
#include <QColorDialog>
#include <gtest/gtest.h>

#include <filesystem>

namespace tav::test {
namespace {

std::string LittleEndian(std::initializer_list<ColorRef> colors) {
    std::string bytes;
    for (ColorRef c : colors)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((c >> shift) & 0xFF));
    return bytes;
}

class ColorDialogTest : public ::testing::Test {
protected:
    ColorDialogTest() {
        std::filesystem::create_directories(std::filesystem::path(Root()) / "profiles" / "hero");
        for (std::size_t i = 0; i < kCustomColorCount; ++i)
            values.custcolors[i] = MakeColor(static_cast<int>(i), 0, 0);
    }
    std::string Root() const { return dir.path().toStdString(); }

    // Clicks an entry's button and answers the chooser: `color` and OK, or Cancel. The user
    // also changes custom colour 5 to `custom5`.
    void Choose(mcolordlg& dialog, const QString& entry, std::optional<QColor> color,
                QColor custom5) {
        // Another chooser of the program left its own custom colours behind.
        for (int i = 0; i < 16; ++i)
            QColorDialog::setCustomColor(i, Qt::white);
        std::vector<QColor> ours;
        for (ColorRef c : values.custcolors)
            ours.push_back(ToQColor(c));
        ModalScript script;
        script.Then([&](QWidget* modal) {
            auto* chooser = qobject_cast<QColorDialog*>(modal);
            ASSERT_NE(chooser, nullptr);
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(QColorDialog::customColor(i), ours[i]) << "copied in: " << i;
            QColorDialog::setCustomColor(5, custom5);
            if (color) {
                chooser->setCurrentColor(*color);
                chooser->accept();
            } else {
                chooser->reject();
            }
        });
        ButtonText(&dialog, entry)->click();
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
        EXPECT_EQ(ToQColor(values.custcolors[5]), custom5) << "copied back";
    }

    QTemporaryDir dir;
    StoredValues values = StoredValues::Defaults();
    Settings settings{};
    Recorder recorder;
};

TEST_F(ColorDialogTest, ChosenColoursReachColorsDat) {
    mcolordlg dialog(values.mudcolors, values.custcolors, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "TavTerm MUD Color Selection Dialog");
    for (std::size_t i = 0; i < kMudColorCount; ++i)
        EXPECT_EQ(dialog.Swatch(i)->grab().toImage().pixelColor(10, 10), QColor(Qt::black))
            << "no colors.dat: every swatch black (" << i << ")";

    Choose(dialog, "Bold Blue", QColor(0x12, 0x34, 0x56), QColor(1, 1, 1));
    EXPECT_EQ(values.mudcolors[9], 0x00563412u);
    EXPECT_EQ(dialog.Swatch(9)->grab().toImage().pixelColor(10, 10), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(dialog.Swatch(9)->accessibleName(), "Bold Blue colour");
    EXPECT_EQ(dialog.Swatch(9)->accessibleDescription(), "#123456");

    Choose(dialog, "Red", QColor(255, 0, 0), QColor(2, 2, 2));
    Choose(dialog, "Cyan", QColor::fromHsv(240, 255, 255), QColor(3, 3, 3)); // stored as RGB
    Choose(dialog, "Gray", std::nullopt, QColor(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(values.mudcolors[14], 0u) << "Cancel leaves the entry";
    ButtonText(&dialog, "Close")->click();

    SettingsFile file(settings, values, recorder, recorder, recorder, Root());
    ASSERT_TRUE(file.SaveColors("hero"));
    std::string expected = LittleEndian({0x000000, 0x000001, 0x000002, 0x000003, 0x000004, 0xCCBBAA,
                                         0x000006, 0x000007, 0x000008, 0x000009, 0x00000A, 0x00000B,
                                         0x00000C, 0x00000D, 0x00000E, 0x00000F});
    expected += LittleEndian({0x0000FF, 0, 0, 0, 0, 0xFF0000, 0, 0, 0, 0x563412, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ReadBytes(std::filesystem::path(Root()) / "profiles" / "hero" / "colors.dat"),
              expected);
}

} // namespace
} // namespace tav::test
