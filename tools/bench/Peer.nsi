; The benchmark's peer: an NSIS 3 setup file doing the stub's job without a signature check.
; It unpacks PAYLOAD (a folder) into a fresh uniquely named folder under the temp folder, starts
; PROGRAM there, waits, removes the folder and exits with the program's exit code.
;   makensis -DPAYLOAD=<folder> -DPROGRAM=<file name> -DOUTFILE=<setup.exe> [-DSTORED] Peer.nsi
Unicode true
!ifdef STORED
SetCompress off
!else
SetCompressor /SOLID lzma
!endif
Name "Brennix Bench Peer"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent
ShowInstDetails nevershow
AutoCloseWindow true

Section
  GetTempFileName $0
  Delete $0
  CreateDirectory $0
  SetOutPath $0
  File /r "${PAYLOAD}/*"
  ExecWait '"$0\${PROGRAM}"' $1
  SetOutPath $TEMP
  RMDir /r $0
  SetErrorLevel $1
SectionEnd
