[global]
multiline=true
template=@Variant(\0\0\0\t7xeOO)
metacounts=1
