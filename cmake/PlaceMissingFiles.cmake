# cmake -DSOURCE=<folder> -DTARGET=<folder> -P PlaceMissingFiles.cmake
# Copies every file of SOURCE into TARGET (same relative path) unless it is
# already there.
file(GLOB_RECURSE _files RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(_file ${_files})
  if(NOT EXISTS ${TARGET}/${_file})
    get_filename_component(_dir ${TARGET}/${_file} DIRECTORY)
    file(MAKE_DIRECTORY ${_dir})
    file(COPY ${SOURCE}/${_file} DESTINATION ${_dir})
  endif()
endforeach()
