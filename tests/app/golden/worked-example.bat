@ECHO OFF
REM ############################################################################
REM ##                                                                        ##
REM ## This batch file is created by Brivok Patch                             ##
REM ##                                                                        ##
REM ## Main function:                                                         ##
REm ## Patch an .ISO file with a .bsdiff file                                 ##
REM ##                                                                        ##
REM ## Runs bspatch.exe on the three files that were chosen in the tool.      ##
REM ##                                                                        ##
REM ## How it was made:                                                       ##
REM ## Written by Brivok Patch at the click on its Patch button, and written  ##
REM ## anew at every click: changes made by hand here do not last. The tool   ##
REM ## runs it in a hidden console and waits until bspatch.exe has ended.     ##
REM ##                                                                        ##
REM ## No warranty:                                                           ##
REM ## This script and the tool come as they are, without warranty of any     ##
REM ## kind, nor any of MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.  ##
REM ## Keep a copy of the old image until the new one has been checked.       ##
REM ##                                                                        ##
REM ## What it does:                                                          ##
REM ## It changes to the folder of Brivok Patch, where bspatch.exe must be,   ##
REM ## and calls it with the old image, the new image and the diff file, in   ##
REM ## that order. The new image is written by bspatch.exe.                   ##
REM ##                                                                        ##
REM ## Contact: the Brivok Patch team, patch@brivok.example                   ##
REM ##                                                                        ##
REM ############################################################################

CD /D "C:\Tools\"
"bspatch.exe" "C:\img\live-5.0.5.iso" "C:\img\live-5.0.6.iso" "D:\dl\live-5.0.5-to-5.0.6.bsdiff"
