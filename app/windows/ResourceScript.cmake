# Writes the uninstaller's resource script:
#   cmake -DOUTPUT=uninstall.rc -DMANIFEST=... -DARCHIVE=skin.zip -DICON=icon.png -P ResourceScript.cmake
# The skin archive is "ZIPRES" 102. The icon 101 is the skin's PNG picture as the one image of an
# icon group: Windows reads PNG-compressed icon images, and writing the group's directory here keeps
# the build free of an icon converter. The directory needs the picture's size in bytes and pixels,
# so the script is written at build time.
file(SIZE ${ICON} iconBytes)
file(READ ${ICON} header LIMIT 24 HEX)
# The PNG header's IHDR chunk holds the width and height as big-endian 32-bit numbers at 16 and 20.
string(SUBSTRING "${header}" 32 8 widthHex)
string(SUBSTRING "${header}" 40 8 heightHex)
math(EXPR width "0x${widthHex}")
math(EXPR height "0x${heightHex}")
if(width GREATER 256 OR height GREATER 256 OR width LESS 1 OR height LESS 1)
    message(FATAL_ERROR "${ICON}: an icon picture is 1 to 256 pixels wide and high, not ${width}x${height}")
endif()
# In the directory 256 is written as 0.
math(EXPR widthByte "${width} % 256")
math(EXPR heightByte "${height} % 256")
math(EXPR sizeWord "${widthByte} + ${heightByte} * 256")
file(TO_CMAKE_PATH "${MANIFEST}" MANIFEST)
file(TO_CMAKE_PATH "${ARCHIVE}" ARCHIVE)
file(TO_CMAKE_PATH "${ICON}" ICON)
file(WRITE ${OUTPUT}.tmp "// Generated at build time from app/windows/ResourceScript.cmake.
// The application manifest (resource type 24, id 1).
1 24 \"${MANIFEST}\"
// The packed skin.
102 ZIPRES \"${ARCHIVE}\"
// The icon: one PNG image (RT_ICON 3, id 1) and its group (RT_GROUP_ICON 14, id 101): reserved 0,
// type 1 (icon), 1 image; then width and height bytes, colours and reserved 0, 1 plane, 32 bits,
// the image's size in bytes and its id.
1 3 \"${ICON}\"
101 14 { 0, 1, 1, ${sizeWord}, 0, 1, 32, ${iconBytes}L, 1 }
// The version resource that Explorer shows in the file's properties.
1 VERSIONINFO
FILEVERSION 1,0,0,0
PRODUCTVERSION 1,0,0,0
FILEOS 0x40004
FILETYPE 1
{
  BLOCK \"StringFileInfo\"
  {
    BLOCK \"040904B0\"
    {
      VALUE \"CompanyName\", \"Tarvion\"
      VALUE \"FileDescription\", \"Tarvion VPN Uninstall\"
      VALUE \"FileVersion\", \"1.0.0.0\"
      VALUE \"InternalName\", \"uninstall\"
      VALUE \"OriginalFilename\", \"uninstall.exe\"
      VALUE \"ProductName\", \"Tarvion VPN\"
      VALUE \"ProductVersion\", \"1.0.0.0\"
    }
  }
  BLOCK \"VarFileInfo\"
  {
    VALUE \"Translation\", 0x409, 1200
  }
}
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
