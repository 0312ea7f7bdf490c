# Run by cpack before it packs the staged files: with SOURCE_DATE_EPOCH set,
# every file time later than it becomes it, so that a package built again
# from the same source has the same bytes.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  execute_process(
    COMMAND find "${CPACK_TEMPORARY_DIRECTORY}" -newermt "@$ENV{SOURCE_DATE_EPOCH}"
            -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
    RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "cannot clamp the file times in ${CPACK_TEMPORARY_DIRECTORY}")
  endif()
endif()
