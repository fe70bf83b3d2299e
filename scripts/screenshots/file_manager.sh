# The file manager window with a dozen stored files and the preview of a
# picture, and the import-as dialog (sourced by scripts/screenshots.sh).
fm="$SHOTS_DATA/file-manager"
mkdir -p "$fm/disk/Images"
repo="$fm/model.qxr"
"$root/$build/bin/qxrepo" create "$repo" >/dev/null
convert -size 420x280 xc:white -fill '#e3ecf7' -stroke '#2f5f98' -strokewidth 2 \
  -draw "roundrectangle 20,30 170,120 8,8" -draw "roundrectangle 250,160 400,250 8,8" \
  -draw "roundrectangle 250,30 400,120 8,8" -draw "line 170,75 250,75" \
  -draw "line 325,120 325,160" "$fm/disk/Architecture overview.png"
convert -size 200x120 gradient:'#fbe3c4'-'#e07b39' "$fm/disk/Images/Orders banner.png"
for f in "Customer model.cfg" "Order entry.txt" "Régions.cfg" "Wizard settings.txt" \
  "Reports.xml" "O'Neil notes.txt" "Sales 2024.csv" "Data dictionary.doc" "Glossary.txt" \
  "Deployment.cfg"; do
  printf 'settings of %s\r\n' "$f" >"$fm/disk/$f"
done
files=""
for f in "$fm"/disk/* "$fm"/disk/Images/*; do
  [ -f "$f" ] && files="$files${files:+;}s:$f"
done
connection="Provider=QXVB.SQLite;Data Source=$repo"
"$qxcall" QXVBUtils.QXFileManager Init_New_noADO s:Quillane "s:$connection" \
  -- ImportFiles "col:$files" >/dev/null
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Tembra\\FileManager]\r\n"PicturePreview"="T"\r\n' \
  >"$fm/preview.reg"
"$root/$build/bin/qxreg" import "$fm/preview.reg" >/dev/null

shot file-manager "File Manager" --keys "ctrl+Home ctrl+space" -- \
  QXVBUtils.QXFileManager Init_New_noADO s:Quillane "s:$connection" -- Show

# The import-as dialog comes after the open dialog of the window's
# Import As command.
import_as_shot() {
  if ((${#wanted[@]})) && [[ ! " ${wanted[*]} " =~ " import-as " ]]; then return 0; fi
  "$qxcall" QXVBUtils.QXFileManager Init_New_noADO s:Quillane "s:$connection" -- Show \
    >/dev/null 2>&1 &
  local pid=$! window="" title
  for title in "File Manager" "Import File As" "Import As"; do
    window=""
    for _ in $(seq 200); do
      window=$(xdotool search --onlyvisible --name "$(regex_of "$title")" 2>/dev/null | head -n 1 || true)
      [ -n "$window" ] && break
      sleep 0.05
    done
    [ -n "$window" ] || { echo "import-as: no window titled '$title'" >&2; kill "$pid"; return 1; }
    xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
    sleep 0.3
    case $title in
      "File Manager") xdotool key ctrl+shift+i ;;
      "Import File As") xdotool type "$fm/disk/Glossary.txt"; xdotool key Return ;;
    esac
  done
  sleep 0.4
  import -silent -frame -window "$window" "$out/import-as.png"
  echo "wrote docs/screenshots/import-as.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
import_as_shot
