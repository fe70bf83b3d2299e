# The small windows: progress, list selector, tooltip and the error dialog
# (sourced by scripts/screenshots.sh).
shot progress "Importing files" -- \
  QXVBUtils.QX_Progress SetCaption "Importing files" -- SetRange l:0 l:200 -- SetProgress l:50 \
  -- Show -- @wait 20000
shot list-selector "Choose a model" -- \
  QXVBUtils.QXUtilities ShowListSelector "Choose a model" \
  "col:s:Alpha;s:Alp;s:alpha;s:Beta model (2024);s:Gamma - archived;s:Größenmodell" Alpha b:true
shot tooltip "Rename & move the model" --plain -- \
  QXVBUtils.QXUtilities QXShowToolTip l:0 "Rename & move the model" b:true -- @wait 3000
shot error-dialog "Error" --keys "alt+d" -- \
  QXVBUtils.QX_ErrorHelper WrapStoredError l:53 "QXVBUtils - QX_File_Copy" "File not found: C:\\Models\\Alpha.qxm" \
  -- WrapStoredError l:-2147221503 "QXVBUtils - QX_ADO_OpenRepository" \
  "The repository Alpha could not be opened because a file it needs is missing." \
  "" "/com.brackwell.quillane.doc/topics/r_repository_errors.html" -- Display l:0
shot error-dialog-without-icon "Error" -- \
  QXVBUtils.QX_ErrorHelper WrapStoredError l:0 "Quillane" "The model was saved, but its diagrams could not be exported." \
  -- DisplayWithoutIcon l:0
