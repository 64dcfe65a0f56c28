# The browser build, configured by scripts/web with emcmake: the show compiled to WebAssembly,
# libmikmod built for the browser by scripts/web-mikmod (TENFOLD_WEB_MIKMOD, its install prefix),
# and the data.dat of a native build (TENFOLD_WEB_PACK) packed for the in-memory filesystem.
set(TENFOLD_WEB_MIKMOD "" CACHE PATH "libmikmod built with emcc: a folder holding include/ and lib/")
set(TENFOLD_WEB_PACK "" CACHE FILEPATH "data.dat made by a native build")
if(NOT EXISTS "${TENFOLD_WEB_MIKMOD}/lib/libmikmod.a" OR NOT EXISTS "${TENFOLD_WEB_PACK}")
  message(FATAL_ERROR "the browser build needs TENFOLD_WEB_MIKMOD and TENFOLD_WEB_PACK: use scripts/web")
endif()
add_library(web_mikmod STATIC IMPORTED)
set_target_properties(web_mikmod PROPERTIES IMPORTED_LOCATION ${TENFOLD_WEB_MIKMOD}/lib/libmikmod.a
                                            INTERFACE_INCLUDE_DIRECTORIES ${TENFOLD_WEB_MIKMOD}/include)
set(TENFOLD_PLATFORM_LIBS web_mikmod)

# tenfold.js + tenfold.wasm, the packed data.dat (tenfold.data, loaded by tenfold-data.js) and the
# page, all in the build folder.
function(tenfold_browser_page target)
  target_link_options(${target} PRIVATE
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=262144 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432
    -sEXIT_RUNTIME=1 -sINVOKE_RUN=0 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1
    -sEXPORTED_FUNCTIONS=_main,_malloc,_free -sEXPORTED_RUNTIME_METHODS=callMain,ENV)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  set(out ${CMAKE_BINARY_DIR})
  add_custom_command(OUTPUT ${out}/tenfold.data ${out}/tenfold-data.js
    COMMAND ${CMAKE_COMMAND} -E copy ${TENFOLD_WEB_PACK} ${out}/pack/data.dat
    COMMAND python3 ${EMSCRIPTEN_ROOT_PATH}/tools/file_packager.py tenfold.data --preload pack/data.dat@/data.dat
            --js-output=tenfold-data.js --no-node
    DEPENDS ${TENFOLD_WEB_PACK} WORKING_DIRECTORY ${out} VERBATIM)
  set(page)
  foreach(f index.html page.js page.css audio.js)
    add_custom_command(OUTPUT ${out}/${f} COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${f} ${out}/${f}
      DEPENDS ${CMAKE_SOURCE_DIR}/web/${f} VERBATIM)
    list(APPEND page ${out}/${f})
  endforeach()
  add_custom_target(web_page ALL DEPENDS ${out}/tenfold.data ${out}/tenfold-data.js ${page})
endfunction()
