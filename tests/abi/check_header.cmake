# Fails when the checked-in public header differs from what the declarations give.
execute_process(COMMAND ${DESCRIBE} header OUTPUT_VARIABLE generated RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "velmora_describe failed")
endif()
file(READ ${HEADER} checked_in)
if(NOT generated STREQUAL checked_in)
  message(FATAL_ERROR "boundary/include/velmora_sdk.h is out of date: run `make header`")
endif()
