#include "ui/game.h"

int main(int argc, char** argv) {
    return vexlor::ui::runGame(argc, argv);
}
