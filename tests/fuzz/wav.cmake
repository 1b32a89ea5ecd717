# libFuzzer target fuzz_wav: arbitrary bytes as a WAV file for the alarm sound player.
# Include it from a clang project with TOP set to the repository's root; it finds
# SDL2_mixer itself unless the including project has made PkgConfig::SDL2_MIXER.
# Seed corpus: ${TOP}/tests/fuzz/corpus/wav. Run with SDL_AUDIODRIVER=dummy.
if(TARGET PkgConfig::SDL2_MIXER)
  set(FUZZ_WAV_SDL PkgConfig::SDL2_MIXER)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(FUZZ_WAV_SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
  set(FUZZ_WAV_SDL PkgConfig::FUZZ_WAV_SDL2_MIXER)
endif()

add_executable(fuzz_wav
  ${TOP}/tests/fuzz/fuzz_wav.cpp
  ${TOP}/sound/audiodevice.cpp
  ${TOP}/sound/mediaplayer.cpp
  ${TOP}/sound/wavlayout.cpp)
target_include_directories(fuzz_wav PRIVATE ${TOP})
target_compile_features(fuzz_wav PRIVATE cxx_std_20)
target_compile_options(fuzz_wav PRIVATE -g -O1 -fsanitize=fuzzer,address,undefined)
target_link_options(fuzz_wav PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(fuzz_wav PRIVATE ${FUZZ_WAV_SDL})
set(FUZZ_WAV_CORPUS ${TOP}/tests/fuzz/corpus/wav)
