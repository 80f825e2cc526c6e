// Dealing the four answers to the panels, and the question's picture or sound.

#include <algorithm>

#include "app/master_form.h"
#include "app/text_values.h"
#include "rules/media.h"

namespace vexlor::app {

void MasterForm::Shuffel() {
    quiz.dealAnswers([this](int n) { return drawNumber(n); });
}

int MasterForm::drawNumber(int n) {
    return randomWholeNumber(services_.random, services_.clock, n);
}

std::string MasterForm::mediaFolder() {
    // The folder of the module the questions come from: after a refused open the dialog names
    // the refused file, while the questions are still those of the module bound before.
    const std::string& modulePath = Data1.DatabaseName;
    const std::size_t nameLength = services_.fileSystem.fileName(modulePath).size();
    FolderLength = static_cast<std::int16_t>(
        std::min<std::size_t>(modulePath.size() - std::min(nameLength, modulePath.size()), 32767));
    return modulePath.substr(0, static_cast<std::size_t>(FolderLength));
}

std::optional<std::string> MasterForm::mediaPath() {
    return rules::findMedia(services_.fileSystem, mediaFolder(), quiz.question.media);
}

void MasterForm::Photo() {
    Picture1.Picture.reset();
    if (const auto path = mediaPath()) Picture1.Picture = services_.pictureLoader.load(*path);
    PanelQuestion.Width = kQuestionWidthBesidePicture;
    Picture1.Visible = true;
}

void MasterForm::Musique() {
    SimpleMusic.SoundFile("");
    // With no usable file the name stays empty, and Play plays nothing.
    if (const auto path = mediaPath()) SimpleMusic.SoundFile(*path);
    SimpleMusic.Play();
    Replay.Visible = true;
}

}  // namespace vexlor::app
