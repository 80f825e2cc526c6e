#include "editor/editor_app.h"

int main(int argc, char** argv) {
    return vexlor::editor::runEditor(argc, argv);
}
