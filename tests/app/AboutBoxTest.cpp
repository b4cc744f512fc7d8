// The About box: title, program title and the version of the build.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/Oprog.h"
#include "app/VersionText.h"
#include "support/WindowFixture.h"

namespace {

class AboutBox : public testsupport::WindowFixture {};

TEST_F(AboutBox, ShowsTitleProgramAndBuildVersion) {
    TOProgramu about(&window());
    EXPECT_EQ(OProgramu, &about);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About..."));
    EXPECT_EQ(about.caption1->text(), QStringLiteral("KD4410 User Software"));
    EXPECT_EQ(about.version->text(), QStringLiteral("Version 23.0.0"));
    EXPECT_EQ(about.size(), QSize(345, 179));
    EXPECT_EQ(about.BitBtn1->geometry(), QRect(247, 146, 90, 25));
    EXPECT_TRUE(about.BitBtn1->isDefault());
}

TEST_F(AboutBox, OpensModallyFromTheMenuAndOkClosesItWithResultOne) {
    TOProgramu about(&window());
    int result = -1;
    QObject::connect(&about, &QDialog::finished, [&](int r) { result = r; });
    QTimer::singleShot(0, &about, [&] {
        EXPECT_TRUE(about.isVisible());
        EXPECT_TRUE(about.isModal());
        about.BitBtn1->click();
    });
    window().menuAbout->trigger();
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(about.isVisible());
}

TEST(VersionText, ShowsThreeOfTheFourNumbersAndNothingWithoutAVersion) {
    EXPECT_EQ(FormatFileVersion(FileVersion{1, 2, 3, 4}), u"1.2.3");
    EXPECT_EQ(FormatFileVersion(FileVersion{23, 0, 0, 0}), u"23.0.0");
    EXPECT_EQ(FormatFileVersion(FileVersion{65535, 10, 7, 9}), u"65535.10.7");
    EXPECT_EQ(FormatFileVersion(std::nullopt), u"");
    EXPECT_EQ(VersionText(), u"23.0.0");
}

}  // namespace
