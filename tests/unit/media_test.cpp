// The question's medium: which endings play a sound or show a picture, and where the file is
// looked for.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/fakes.h"

namespace vexlor::app {
namespace {

namespace fs = std::filesystem;

class MediaTest : public ::testing::Test {
  protected:
    MediaTest() {
        modulePath = folder.file("quiz.vxm");
        touch("quiz.vxm");
        f.form.Data1.DatabaseName = modulePath;
    }
    std::string touch(const std::string& relative) {
        const fs::path path = folder.path() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "media";
        return path.string();
    }
    void reveal(const std::string& audio) {
        f.form.Audio.Caption = audio;
        f.form.TimerStart_Timer();
    }
    // The file the sound player was last told to play; "" for none.
    std::string soundFile() const {
        std::string file;
        for (const auto& call : f.soundPlayer.calls)
            if (call.rfind("file:", 0) == 0) file = call.substr(5);
        return file;
    }

    testing::TempFolder folder;
    std::string modulePath;
    testing::FormFixture f;
};

// The last three characters choose, case-sensitively among twelve endings: mp3, mid, wav play
// the sound and offer Replay; gif, bmp, ico show the picture beside a narrowed question.
TEST_F(MediaTest, TwelveEndingsChooseTheMedium) {
    for (const std::string ending : {"mp3", "MP3", "mid", "MID", "wav", "WAV"}) {
        testing::FormFixture g;
        g.form.Data1.DatabaseName = modulePath;
        const std::string path = touch("sound." + ending);
        g.form.Audio.Caption = "sound." + ending;
        g.form.TimerStart_Timer();
        EXPECT_EQ(g.soundPlayer.calls, (std::vector<std::string>{"file:", "file:" + path, "play"}))
            << ending;
        EXPECT_TRUE(g.form.Replay.Visible);
        EXPECT_FALSE(g.form.Picture1.Visible);
        EXPECT_TRUE(g.pictureLoader.asked.empty());
    }
    for (const std::string ending : {"gif", "GIF", "bmp", "BMP", "ico", "ICO"}) {
        testing::FormFixture g;
        g.form.Data1.DatabaseName = modulePath;
        const std::string path = touch("picture." + ending);
        g.form.Audio.Caption = "picture." + ending;
        g.form.TimerStart_Timer();
        EXPECT_EQ(g.pictureLoader.asked, std::vector<std::string>{path}) << ending;
        ASSERT_NE(g.form.Picture1.Picture, nullptr);
        EXPECT_TRUE(g.form.Picture1.Visible);
        EXPECT_EQ(g.form.PanelQuestion.Width, 4620);
        EXPECT_TRUE(g.soundPlayer.calls.empty());
        EXPECT_FALSE(g.form.Replay.Visible);
    }
}

// Mixed-case endings, other types, short and empty names give no medium at all.
TEST_F(MediaTest, OtherEndingsGiveNoMedium) {
    for (const std::string audio :
         {"sound.Mp3", "sound.mP3", "picture.Gif", "clip.mp4", "x", "", "mp3 ", "wav.txt"}) {
        touch(audio.empty() ? "empty" : audio);
        reveal(audio);
        EXPECT_TRUE(f.soundPlayer.calls.empty()) << audio;
        EXPECT_TRUE(f.pictureLoader.asked.empty()) << audio;
        EXPECT_FALSE(f.form.Replay.Visible);
        EXPECT_FALSE(f.form.Picture1.Visible);
        EXPECT_EQ(f.form.PanelQuestion.Width, 6255);
    }
}

// Names written on Windows find their files: a backslash separates folders, and a name that
// differs only in letter case is found when the exact one is missing.
TEST_F(MediaTest, BackslashesAndLetterCaseOfWindowsModulesAreFound) {
    const std::string bell = touch("Sounds/Bell.WAV");
    reveal("sounds\\bell.wav");
    EXPECT_EQ(soundFile(), bell);

    // The exact name wins over one in another case.
    const std::string lower = touch("flag.gif");
    touch("FLAG.gif");
    reveal("flag.gif");
    EXPECT_EQ(f.pictureLoader.asked.back(), lower);
    reveal("Flag.gif");
    EXPECT_EQ(f.pictureLoader.asked.size(), 2u);
    EXPECT_EQ(f.pictureLoader.asked.back(), folder.file("FLAG.gif")) << "first in sorted order";

    // A subfolder named with slashes, and redundant separators.
    const std::string deep = touch("media/pics/map.bmp");
    reveal("media//./pics/map.bmp");
    EXPECT_EQ(f.pictureLoader.asked.back(), deep);
}

// A media name can never reach outside the module's folder: "..", an absolute path and a
// drive name give no medium; the question is still shown as it would be with a missing file.
TEST_F(MediaTest, NamesOutsideTheModuleFolderGiveNoMedium) {
    testing::TempFolder outside;
    const std::string secret = outside.file("secret.wav");
    std::ofstream(secret) << "secret";
    const std::string relativeSecret = "../" + outside.path().filename().string() + "/secret.wav";
    ASSERT_TRUE(fs::exists(folder.path() / relativeSecret));

    for (const std::string& audio : std::vector<std::string>{
             relativeSecret, "..\\" + outside.path().filename().string() + "\\secret.wav", secret,
             "\\" + secret.substr(1), "C:\\secret.wav", "sub/../../secret.wav"}) {
        testing::FormFixture g;
        g.form.Data1.DatabaseName = modulePath;
        g.form.Audio.Caption = audio;
        g.form.TimerStart_Timer();
        EXPECT_EQ(g.soundPlayer.calls, (std::vector<std::string>{"file:", "play"})) << audio;
        EXPECT_TRUE(g.form.Replay.Visible);
    }

    const std::string picture = outside.file("secret.gif");
    std::ofstream(picture) << "gif";
    reveal(picture);
    EXPECT_TRUE(f.pictureLoader.asked.empty());
    EXPECT_TRUE(f.form.Picture1.Visible);
    EXPECT_EQ(f.form.Picture1.Picture, nullptr);
    EXPECT_EQ(f.form.PanelQuestion.Width, 4620);
}

// A missing picture leaves Picture1 empty, even after a picture was shown; a missing module
// file gives no medium; the media folder is the bound module's, not the last file chosen.
TEST_F(MediaTest, MissingFilesAndTheFolderTheMediaComeFrom) {
    touch("shown.gif");
    reveal("shown.gif");
    ASSERT_NE(f.form.Picture1.Picture, nullptr);
    reveal("missing.gif");
    EXPECT_EQ(f.form.Picture1.Picture, nullptr);
    EXPECT_TRUE(f.form.Picture1.Visible);
    EXPECT_EQ(f.form.FolderLength,
              static_cast<std::int16_t>(modulePath.size() - std::string("quiz.vxm").size()));

    // A refused file elsewhere was the last one chosen; the questions are still the module's.
    testing::TempFolder other;
    f.form.New1.FileName = other.file("refused.vxm");
    std::ofstream(f.form.New1.FileName) << "not a module";
    reveal("shown.gif");
    EXPECT_EQ(f.pictureLoader.asked.back(), folder.file("shown.gif"));

    fs::remove(modulePath);
    const auto asked = f.pictureLoader.asked.size();
    reveal("shown.gif");
    EXPECT_EQ(f.pictureLoader.asked.size(), asked);
    EXPECT_EQ(f.form.FolderLength, static_cast<std::int16_t>(modulePath.size()));
}

// Replay plays the named sound again while the question runs; an answer click stops it.
TEST_F(MediaTest, ReplayPlaysAgainAndAnAnswerStopsTheSound) {
    const std::string path = touch("tune.mid");
    reveal("tune.mid");
    f.form.Replay_Click();
    f.form.PanelRepB_Click();
    EXPECT_EQ(f.soundPlayer.calls,
              (std::vector<std::string>{"file:", "file:" + path, "play", "play", "stop"}));
    EXPECT_FALSE(f.form.Replay.Visible);
    f.form.Replay_Click();  // no longer offered
    EXPECT_EQ(f.soundPlayer.calls.size(), 5u);
}

}  // namespace
}  // namespace vexlor::app
