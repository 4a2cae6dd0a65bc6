// make_archviz_scene OBJECTS FILE: writes the benchmark scene of that many geometry objects, for
// timing whole commands (larkspur package FILE ...).
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "bench/archviz_scene.h"

int main(int argc, char** argv) {
  const int objects = argc == 3 ? std::atoi(argv[1]) : 0;
  if (objects <= 0) {
    std::fprintf(stderr, "usage: make_archviz_scene OBJECTS FILE\n");
    return 2;
  }
  const std::string text =
      larkspur::bench::ArchvizSceneText(larkspur::bench::ArchvizSizeFor(objects));
  std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) {
    std::fprintf(stderr, "make_archviz_scene: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
