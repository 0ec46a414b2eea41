# cmake -DSTAGE=<folder> -DBUILD=<build folder> -P stage_install.cmake
# A fresh install of the build under STAGE, as a package build stages it.
file(REMOVE_RECURSE ${STAGE})
set(ENV{DESTDIR} ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
