// The widget tests need one QApplication for the whole run; test discovery
// runs this program at build time without a display, hence offscreen.
#include "QuillaneApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    quillane::TQuillaneApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
