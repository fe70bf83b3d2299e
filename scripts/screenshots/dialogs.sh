# The common dialogs and the folder browser (sourced by scripts/screenshots.sh).
models="$SHOTS_DATA/Models"
mkdir -p "$models/Archive 2019" "$models/Customers" "$models/Orders"
for f in "Customer model.cfg" "Order entry.txt" "Régions.cfg" "Wizard settings.txt"; do
  printf 'settings\r\n' >"$models/$f"
done

shot common-dialog-open "Import Settings" -- \
  --as dlg QXVBUtils.QXCommonDlg FileDialog ++ --put sInitDir "$models" \
  -- --put sDlgTitle "Import Settings" -- --put flags l:512 @@ dlg ShowOpen l:0
shot common-dialog-save "Save As" -- \
  --as dlg QXVBUtils.QXCommonDlg FileDialog ++ --put sInitDir "$models" \
  -- --put sFile "Customer model.cfg" -- --put sDefFileExt cfg @@ dlg ShowSave l:0
shot common-dialog-font "Font" -- QXVBUtils.QXCommonDlg ShowFont l:0 "DejaVu Sans"
shot common-dialog-font-colours "Font" -- QXVBUtils.QXCommonDlg ShowFontDialog l:0 \
  "rec:SelectedFont|sSelectedFont=s:DejaVu Serif|nSize=i:12|bBold=b:true|bShowColor=b:true|lColor=l:8388608"
shot common-dialog-colour "Color" -- QXVBUtils.QXCommonDlg ShowColor2 l:0 b:true l:12615680
shot common-dialog-print "Print" -- QXVBUtils.QXCommonDlg ShowPrinter l:0
shot folder-browser "Export" -- \
  QXVBUtils.ShOpenDirTV @answer ValidatePath 2=b:false "3=s:Archived models cannot be changed." \
  if '1~*/Archive*' -- @answer ValidatePath "3=s:The files will be exported here." \
  -- OpenDirectoryTV l:0 "Choose the folder to export the selected files to." Export "$models"
