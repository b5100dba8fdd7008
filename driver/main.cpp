#include <cstdio>

int main() {
  std::printf("colloidsim %s\n", COLLOIDSIM_VERSION);
  return 0;
}
