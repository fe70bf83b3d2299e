/* The plain C export as a program of its own: one stored file written to
   a target, as a script calling it once per file would. */
#include <stdio.h>

#include "anchors.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s DATABASE NAME TARGET\n", argv[0]);
    return 2;
  }
  sqlite3* db = NULL;
  sqlite3_stmt* select = NULL;
  int failed = anchorOpenExport(argv[1], &db, &select);
  if (!failed) failed = anchorExportOne(select, argv[2], argv[3]);
  sqlite3_finalize(select);
  sqlite3_close(db);
  return failed;
}
