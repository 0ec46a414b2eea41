// The capture program: the application object runs the main window until the
// operator closes it.
#include "app/orbisk_app.h"

int main(int argc, char** argv) {
    orbisk::COrbiskApp app(argc, argv);
    return app.InitInstance();
}
