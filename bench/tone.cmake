# Tone processor: the four filter objects of a stereo frame, and the whole per-frame chain, each
# beside the straightforward transcription kept in tone_reference.cpp.
kestrune_add_bench(bench_tone
  SOURCES tone_bench.cpp tone_reference.cpp
  LIBS kestrune_dsp
)
