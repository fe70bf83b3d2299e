/* The shared library is assembled from qxvb_core; this unit only gives
   the linker a source of its own. */
int qxvb_library_marker;
