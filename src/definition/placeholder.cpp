// placeholder until the layer gets its first source
