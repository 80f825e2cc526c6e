// The question's medium: which endings play a sound or show a picture, and where the file is
// looked for.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace vexlor::app {
namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;

class MediaTest : public ::testing::Test {
  protected:
    MediaTest() { touch("quiz.vxm"); }
    std::string touch(const std::string& relative) {
        const fs::path path = folder.path() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "media";
        return path.string();
    }
    // A fresh window on the module in the folder, revealing a question whose medium is `audio`.
    testing::FormFixture& reveal(const std::string& audio) {
        f = std::make_unique<testing::FormFixture>();
        f->form.Data1.DatabaseName = folder.file("quiz.vxm");
        f->form.quiz.question.media = audio;
        f->form.TimerStart_Timer();
        return *f;
    }

    testing::TempFolder folder;
    std::unique_ptr<testing::FormFixture> f;
};

// The last three characters choose, case-sensitively among twelve endings: mp3, mid, wav play
// the sound and offer Replay; gif, bmp, ico show the picture beside a narrowed question;
// mixed-case and other endings give no medium.
TEST_F(MediaTest, TwelveEndingsChooseTheMedium) {
    for (const std::string ending : {"mp3", "MP3", "mid", "MID", "wav", "WAV"}) {
        const std::string path = touch("sound." + ending);
        auto& g = reveal("sound." + ending);
        EXPECT_EQ(g.soundPlayer.calls, (Calls{"file:", "file:" + path, "play"})) << ending;
        EXPECT_TRUE(g.form.Replay.Visible && !g.form.Picture1.Visible);
    }
    for (const std::string ending : {"gif", "GIF", "bmp", "BMP", "ico", "ICO"}) {
        const std::string path = touch("picture." + ending);
        auto& g = reveal("picture." + ending);
        EXPECT_EQ(g.pictureLoader.asked, Calls{path}) << ending;
        EXPECT_TRUE(g.form.Picture1.Visible && g.form.Picture1.Picture && !g.form.Replay.Visible);
        EXPECT_EQ(g.form.PanelQuestion.Width, 4620);
        EXPECT_TRUE(g.soundPlayer.calls.empty());
    }
    for (const std::string audio : {"sound.Mp3", "picture.Gif", "clip.mp4", "x", "", "mp3 "}) {
        touch(audio.empty() ? "empty" : audio);
        auto& g = reveal(audio);
        EXPECT_TRUE(g.soundPlayer.calls.empty() && g.pictureLoader.asked.empty()) << audio;
        EXPECT_FALSE(g.form.Replay.Visible || g.form.Picture1.Visible);
        EXPECT_EQ(g.form.PanelQuestion.Width, 6255);
    }
}

// Names written on Windows find their files: a backslash separates folders, and a name that
// differs only in letter case is found when the exact one is missing (the exact one first).
TEST_F(MediaTest, BackslashesAndLetterCaseOfWindowsModulesAreFound) {
    const std::string bell = touch("Sounds/Bell.WAV");
    EXPECT_EQ(reveal("sounds\\bell.wav").soundPlayer.calls[1], "file:" + bell);
    const std::string lower = touch("flag.gif");
    touch("FLAG.gif");
    EXPECT_EQ(reveal("flag.gif").pictureLoader.asked, Calls{lower});
    EXPECT_EQ(reveal("Flag.gif").pictureLoader.asked, Calls{folder.file("FLAG.gif")});
    const std::string deep = touch("media/pics/map.bmp");
    EXPECT_EQ(reveal("media//./pics/map.bmp").pictureLoader.asked, Calls{deep});
    // The folder, a backslash and the name were joined on Windows: a leading one is the folder.
    EXPECT_EQ(reveal("\\media\\pics\\map.bmp").pictureLoader.asked, Calls{deep});
    EXPECT_EQ(reveal("/flag.gif").pictureLoader.asked, Calls{lower});
    // A link that stays inside the folder is followed.
    fs::create_symlink(lower, folder.file("alias.gif"));
    EXPECT_EQ(reveal("alias.gif").pictureLoader.asked, Calls{folder.file("alias.gif")});
}

// A media name can never reach outside the module's folder: "..", an absolute path (taken
// inside the folder) and a drive name give no medium, nor does a link out of the folder, to a
// file or through a folder; the question is shown as it would be with a missing file.
TEST_F(MediaTest, NamesOutsideTheModuleFolderGiveNoMedium) {
    testing::TempFolder outside;
    const std::string secret = outside.file("secret.wav"), name = outside.path().filename();
    std::ofstream(secret) << "secret";
    fs::create_symlink(secret, folder.file("link.wav"));
    fs::create_directory_symlink(outside.path(), folder.file("linked"));
    for (const std::string& audio :
         {"../" + name + "/secret.wav", "..\\" + name + "\\secret.wav", secret,
          "\\" + secret.substr(1), std::string("C:\\secret.wav"),
          "sub/../../" + name + "/secret.wav", std::string("link.wav"),
          std::string("linked/secret.wav"), std::string("LINKED/Secret.wav")})
        EXPECT_EQ(reveal(audio).soundPlayer.calls, (Calls{"file:", "play"})) << audio;
    std::ofstream(outside.file("secret.gif")) << "gif";
    auto& g = reveal(outside.file("secret.gif"));
    EXPECT_TRUE(g.pictureLoader.asked.empty());
    EXPECT_TRUE(g.form.Picture1.Visible && !g.form.Picture1.Picture);
}

// A missing picture leaves Picture1 empty even after one was shown; the media folder is the
// bound module's, not that of the last file chosen; a missing module file gives no medium.
TEST_F(MediaTest, MissingFilesAndTheFolderTheMediaComeFrom) {
    touch("shown.gif");
    auto& g = reveal("shown.gif");
    g.form.quiz.question.media = "missing.gif";
    g.form.TimerStart_Timer();
    EXPECT_EQ(g.form.Picture1.Picture, nullptr);
    testing::TempFolder other;
    g.form.New1.FileName = other.file("refused.vxm");
    std::ofstream(g.form.New1.FileName) << "not a module";
    g.form.quiz.question.media = "shown.gif";
    g.form.TimerStart_Timer();
    EXPECT_EQ(g.pictureLoader.asked.back(), folder.file("shown.gif"));
    fs::remove(folder.file("quiz.vxm"));
    EXPECT_TRUE(reveal("shown.gif").pictureLoader.asked.empty());
}

}  // namespace
}  // namespace vexlor::app
