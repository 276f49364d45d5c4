#include "main/gui_main.h"

int main(int argc, char** argv) {
    return vantile::runGui(argc, argv);
}
