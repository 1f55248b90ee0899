# Run as a test: cmake -DSOURCE_DIR=<src> -P CheckLayerIncludes.cmake
# The include roots keep each layer to the ones below it, but a quoted
# include that climbs out of its folder ("../platform/...") is found next to
# the file and would pass them by. None may climb.
file(GLOB_RECURSE sources ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*\\.\\./")
  foreach(line IN LISTS lines)
    file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
    string(APPEND found "  ${name}: ${line}\n")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Includes that climb out of their folder, past the layer roots:\n${found}")
endif()
