# Windows of the window helpers (sourced by scripts/screenshots.sh).
shot message-box-yes-no-cancel "Quillane" -- \
  QXVBUtils.QXUtilities QX_MsgBox "Save the changes to Model A & its diagrams?" l:35 "Quillane"
shot message-box-critical "Quillane - Repository" -- \
  QXVBUtils.QXUtilities QX_MsgBox \
  "The repository could not be opened. Check that the server is running and that you are allowed to connect." \
  l:18 "Quillane - Repository"
