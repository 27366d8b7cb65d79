[global]
=x
template=t
