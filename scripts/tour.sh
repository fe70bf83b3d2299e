#!/usr/bin/env bash
# A short tour of the library through qxcall, in a sandboxed state folder:
# every per-user and machine-wide file it writes lands below a temporary
# folder that is removed at the end.
set -euo pipefail
bin=${1:-build/bin}
qxcall="$bin/qxcall"
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
export XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data XDG_CACHE_HOME=$sandbox/cache
export HOME=$sandbox/home QXVB_MACHINE_DIR=$sandbox/machine TMPDIR=$sandbox/tmp
mkdir -p "$HOME" "$TMPDIR"

# Creates an embedded repository, showing the command but not its table list.
newRepository() {
  echo
  echo "\$ qxrepo create $1"
  "$bin/qxrepo" create "$1" >/dev/null
}

step() {
  echo
  echo "\$ qxcall $*"
  "$qxcall" "$@" || echo "(exit code $?)"
}

echo "== The error record"
step --json QXVBUtils.QXUtilities QXSaveErrInfo l:5 s:a s:b
step --json QXVBUtils.QXUtilities QXSaveErrInfoFromErr "err:53|QXVBUtils|File not found"

echo
echo "== Settings of the default profile"
step --json QXVBUtils.QXUtilities QXSetSetting s:Greeting s:hello
step --json QXVBUtils.QXUtilities QXGetSetting s:Greeting s: l:3
step --json QXVBUtils.QXDUtilsVB QXDUtilsVB_ReadSetting s: s:Wizard s:Greeting s:none
step --json QXVBUtils.QXDUtilsVB QXDUTILSVB_ReadOrvixProfilePath
echo
echo "The profile on disk:"
cat "$XDG_CONFIG_HOME/Brackwell/Quillane/Quillane.ini"

echo
echo "== Late binding: names ignore case; failures are automation errors"
step --json qxvbutils.qxutilities QXSAVEERRINFO l:1 s:x s:y
step --json QXVBUtils.QXUtilities NoSuchMember
step --json QXVBUtils.QX_RegistryKey Anything
step --json QXVBUtils.QXUtilities QXSaveErrInfo l:5

echo
echo "== Network parameters and host names"
step --json QXVBUtils.QX_NetworkParams QX_NP_GetHostName
step --json QXVBUtils.QX_NetworkParams QX_NP_GetDnsServerList
step --json QXVBUtils.QX_NetworkParams QX_NP_GetHostNameFromIP s:127.0.0.1
step --json QXVBUtils.QX_NetworkParams QX_NP_GetHostNameFromIP s:255.255.255.255

echo
echo "== The registry: values below the product's key, branches as XML"
hkcu=l:-2147483647
step --json QXVBUtils.QX_Registry QX_Reg_WriteSetting $hkcu s:Count l:4 l:5 s:Tour s:Demo
step --json QXVBUtils.QX_Registry QX_Reg_WriteSetting $hkcu s:Greeting l:1 s:hello s:Tour 's:Demo\Inner'
step --json QXVBUtils.QX_Registry QX_Reg_ReadSetting $hkcu s:Count s:Tour s:Demo
step --json QXVBUtils.QX_Registry QX_Reg_ReadSetting $hkcu s:Missing s:Tour s:Demo
step --json QXVBUtils.QX_Registry QX_Reg_ReadBranchAsXML $hkcu s:Tour
branch='<Quillane><Key Name="Copied"><Value Type="4" Name="Count" Data="7"/></Key><Value Type="1" Name="Greeting" Data="hi"/></Quillane>'
step --json QXVBUtils.QX_Registry QX_Reg_WriteBranchFromXML $hkcu "s:$branch" s:Tour s:Restored
step --json QXVBUtils.QX_Registry QX_Reg_ReadBranchAsXML $hkcu s:Tour s:Restored
echo
echo "The restored key in the registry store:"
"$bin/qxreg" query 'HKCU\Software\Brackwell\Quillane\Tour\Restored\Copied' || true

echo
echo "== Files and folders"
step --json QXVBUtils.QX_File_Utils QX_File_GetFolderLocation l:0 l:26
step --json QXVBUtils.QX_File_Utils QX_File_GetFolderLocation l:0 l:261
step --json QXVBUtils.QX_File_Utils QX_File_GetFolderLocation l:0 l:259
step --json QXVBUtils.QX_File_Utils QX_File_GetTempFileExt s:/work/T s:img l:255 s:png
step --json QXVBUtils.QX_File_Utils QX_File_GetTempFile s: s:qxtour l:0
step --json QXVBUtils.QX_File_Utils QX_File_GetExtension s:archive.tar.gz
echo
echo "\$ qxregister"
"$bin/qxregister"
step --json QXVBUtils.QX_File_Utils QX_File_ActiveX_RegisteredPath s:QXVBUtils.QXUtilities
mkdir -p "$sandbox/logs"
step --json QXVBUtils.QXUtilities QXSetSetting s:Quillane "s:Y,$sandbox/logs" s:Logging
step --json QXVBUtils.QX_File_Utils QX_File_GetQxLogFile
step --json QXVBUtils.QX_File_Utils QX_File_WriteLog s: "s:Hello from the tour"
echo
echo "The log file:"
cat "$sandbox/logs/QXVBUtils.log"

echo
echo "== Connection strings and data-link files"
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_ConstructConnectionString s:SQLOLEDB.1 s:srv01 s:Repo b:false s:sa s:secret
cs='Provider=SQLOLEDB.1;User ID=sa;Password=secret;Initial Catalog=Repo;Data Source=srv01;Use Encryption for Data=False;'
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_ReadItemFromConnectionString "s:data source" "s:$cs"
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_WriteItemInConnectionString s:Password s:changed "s:$cs"
udl=$sandbox/repo.udl
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_CreateUDLFile "s:$udl" "s:$cs"
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_ReadConnectionString "s:$udl" s:
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_IsValidUDLWithDetails "s:$udl" s: s: s: s: l:0
echo
echo "The start of the data-link file (UTF-16LE after the byte-order mark FF FE, CR LF):"
head -c 32 "$udl" | od -An -tx1

echo
echo "== Pictures: an SVG drawing at a size, letter-boxed on blue, then as bytes"
cat >"$sandbox/wide.svg" <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="100" height="50" viewBox="0 0 100 50">
  <rect width="100" height="50" fill="#c03020"/>
  <text x="50" y="33" font-size="20" text-anchor="middle" fill="#ffffff">QX</text>
</svg>
SVG
# Drawing text starts Qt's application, which wants a runtime folder of its own.
mkdir -p -m 700 "$sandbox/runtime"
export XDG_RUNTIME_DIR=$sandbox/runtime
picture=(QXVBUtils.QX_File_Utils QX_File_LoadPicture2 "s:$sandbox/wide.svg" b:true l:120 l:120 l:0 l:0 l:255)
step --json "${picture[@]}" ++ Width -- Height -- Type
echo
echo "The picture's bytes: a bitmap file of 120 by 120 pixels (the hexadecimal cut short):"
step --json "${picture[@]}" == QXVBUtils.QXUtilities QX_Util_PictureToByteArray x: r: |
  sed -E 's/("bytes": "[0-9A-F]{12})[0-9A-F]*"/\1..."/'

echo
echo "== The embedded repository: created by qxrepo, checked and its log exported"
repo=$sandbox/tour.qxr
echo
echo "\$ qxrepo create $repo"
"$bin/qxrepo" create "$repo"
repocs="Provider=QXVB.SQLite;Data Source=$repo"
step --json ADODB.Connection Open "s:$repocs" -- Execute \
  "s:INSERT INTO Network_LOG (MessageID, Date, UserId, Version, Message) VALUES (1, '2024-02-29 13:45:10', 'tour', '1.0', 'Repository created'), (2, '2024-02-29 13:46:02', 'tour', '1.0', 'Log exported')"
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_IsDatabaseQXVersion "s:$repocs" l:514 l:0
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_ExclusiveAccessCheckPlusConnStr "s:$repocs" b:false
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_ExportLogFile l:0 "s:$repocs" "s:$sandbox/network.txt"
echo
echo "The exported log:"
cat "$sandbox/network.txt"
step --json QXVBUtils.QX_ADO_Utilities QX_ADO_ExportLogFile l:2 "s:$repocs" "s:$sandbox/other.txt"

echo
echo "== The file store: settings files kept in the repository's Files table"
files=$sandbox/files.qxr
newRepository "$files"
filescs="Provider=QXVB.SQLite;Data Source=$files"
step --json ADODB.Recordset Open "s:SELECT Name FROM Files" "s:$filescs" -- ActiveConnection \
  == QXDUTILS.Utils SetEncyConnection r: -- SetEncyOpenStatus b:true \
  -- WriteEncyFile s:Tour.cfg "s:[Tour]" -- WriteEncyFile s:Tour.cfg "s:[Tour again]" \
  -- EncyFileExists s:Tour.cfg -- ReadEncyFile s:Tour.cfg
echo
echo "A stored name that would leave the target folder is refused:"
step --json ADODB.Recordset Open "s:SELECT Name FROM Files" "s:$filescs" -- ActiveConnection \
  == QXDUTILS.Utils SetEncyConnection r: -- SetEncyOpenStatus b:true \
  -- WriteEncyFile 's:..\outside.cfg' s:x
echo
echo "The row in the Files table: the second write made it version 2, activity C:"
step --json ADODB.Connection Open "s:$filescs" \
  -- Execute "s:SELECT Name, Version, Activity FROM Files ORDER BY Name" \
  ++ Collect s:Name -- Collect s:Version -- Collect s:Activity

echo
echo "== The file store: a folder of files imported, listed and exported again"
store=$sandbox/store.qxr
newRepository "$store"
storecs="Provider=QXVB.SQLite;Data Source=$store"
mkdir -p "$sandbox/import/Images" "$sandbox/export"
printf 'Model notes\r\n' >"$sandbox/import/notes.txt"
printf '[Tour]\r\nColour=blue\r\n' >"$sandbox/import/tour.cfg"
printf 'A quote in the name is stored as it is' >"$sandbox/import/O'Brien.txt"
head -c 100000 /dev/urandom >"$sandbox/import/Images/diagram.png"
imports=$(find "$sandbox/import" -type f | sort | sed 's/^/s:/' | paste -sd ';')
step --json QXVBUtils.QXFileManager Init_New_noADO s:Tour "s:$storecs" l:0 \
  -- ImportFiles "col:$imports"
echo
echo "Importing the notes again makes them version 2, activity C:"
step --json QXVBUtils.QXFileManager Init_New_noADO s:Tour "s:$storecs" l:0 \
  -- ImportFiles "col:s:$sandbox/import/notes.txt"
echo
echo "The stored files (a picture keeps its Images\\ prefix):"
row=(Collect s:Name -- Collect s:Version -- Collect s:Activity -- Collect s:Size)
step --json ADODB.Connection Open "s:$storecs" \
  -- Execute "s:SELECT Name, Version, Activity, length(Data) AS Size FROM Files ORDER BY Name" \
  ++ "${row[@]}" -- MoveNext -- "${row[@]}" -- MoveNext -- "${row[@]}" -- MoveNext -- "${row[@]}"
echo
echo "Each stored file exported again and compared with the original:"
for name in 'Images\diagram.png' "O'Brien.txt" notes.txt tour.cfg; do
  target=$sandbox/export/${name##*\\}
  step --json QXVBUtils.QX_ADO_Utilities QX_ADO_ExportFile "s:$name" "s:$storecs" "s:$target"
  original=$sandbox/import/${name//\\//}
  if cmp -s "$original" "$target"; then
    echo "$name: the same $(stat -c %s "$target") bytes"
  else
    echo "$name: DIFFERS from the original"
  fi
done
echo
echo "The export folder:"
ls -l "$sandbox/export" | tail -n +2 | awk '{print $5, $NF}'
