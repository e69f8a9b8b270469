// The program's entry: the framework runs theApp with the program's resources.
#include "platform/afx.h"
#include "res/resources.h"

int main(int argc, char** argv) { return AfxWinMain(argc, argv, &g_KivernResources); }
