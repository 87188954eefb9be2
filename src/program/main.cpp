#include "program/command_line.h"

int main(int argc, char** argv) { return rf::Main(argc, argv); }
