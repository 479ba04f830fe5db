#include "app/options.h"

int main(int argc, char** argv) {
  const app::ParsedOptions parsed = app::ParseOptions(argc, argv);
  if (!parsed.options) return parsed.exit_code;
  return 0;
}
