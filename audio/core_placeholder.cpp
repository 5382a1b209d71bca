// Placeholder so that audio_core has a source until the parsers arrive.
